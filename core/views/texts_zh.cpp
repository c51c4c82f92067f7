// 中文文本 (the Chinese texts). Keep each group where texts.h has it, and a
// format's conversions (%d, %.1f, %ls ...) the same as in texts_en.cpp.
#include "core/views/texts.h"

const TextRow kChineseTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang 只接受 en 或 zh，不是 '%ls'。"},
    // The usage's columns as in English; a Chinese character takes two.
    {TX_USAGE_HEAD, "Quorvin %ls - 鼠标回报率测试工具\n\n用法：%ls [选项]\n"},
    {TX_USAGE_NO_OPTION, "  (无选项)                         打开窗口\n"},
    {TX_USAGE_OPTIONS,
     "  -c, --console [INDEX [SECONDS]]  测量第 INDEX 只鼠标(0 = 全部鼠标)，直到 Ctrl+C"
     " 或测满 SECONDS 秒\n"
     "  --list                           列出鼠标及 -c 所用的 INDEX\n"
     "  --pcap FILE                      分析保存的 USBPcap 或 usbmon 抓包文件(pcap 或 pcapng)\n"
     "  --csv FILE                       用于 -c 或 --pcap 之后：同时把每个报告写入 FILE\n"
     "  --json FILE                      用于 -c、--pcap、--compare、--analyze 或 --ab 之后：\n"
     "                                   同时把各项数据以 JSON 写入 FILE\n"
     "  --usb, --usb-save FILE           用于 -c 之后：同时抓取 USB(USBPcap，需管理员)，\n"
     "                                   并与 Windows 投递的报告对比；FILE：保存的 pcap\n"
     "  --compare CAPTURE CSV [ENDPOINT] 对比 USBPcap 或 usbmon 抓包与一次 -c 测量的 CSV\n"
     "  --analyze CSV                    从一次 -c 测量的 CSV 重新输出其汇总\n"
     "  --ab A.csv B.csv                 对比两次 -c 测量：B - A 及其 95%% 区间，并给出结论\n"
     "  --slot N                         用于 --compare、--analyze 或 --ab 之后：只取 CSV 中\n"
     "                                   鼠标 N 的行(0 = 全部鼠标，默认)\n"
     "  --lang en|zh                     英文或中文文本(默认：Windows 显示语言)\n"
     "  --help, -h, /?                   显示本帮助\n"
     "  --version                        显示版本\n"},
    {TX_USAGE_WINDOW_EXAMPLE,
     "\n示例：quorvin.exe -c 0 10   测量全部鼠标 10 秒。\n"
     "在终端中请使用 quorvin-cli.exe：它输出到终端，命令行会等它结束。\n"},
    {TX_USAGE_CLI_EXAMPLE,
     "\n示例：quorvin-cli.exe -c 0 10 --csv run.csv   测量全部鼠标 10 秒，\n"
     "      并把每个报告写入 run.csv。\n"
     "quorvin.exe(不带选项)打开窗口。\n"},
    {TX_UNKNOWN_OPTION, "未知选项 %.500ls；可用的选项如下：\n"},
    {TX_ARGS_CANNOT_RUN, "这些参数无法一起运行；请看 --help"},
    {TX_FILE_OPTION_NEEDS_NAME, "%ls 需要要写入的文件名(如 %ls %ls)。"},
    {TX_SLOT_REFUSED, "--slot 需要 0 到 63 的鼠标编号(0 = 全部鼠标)，不是 '%ls'。"},
    {TX_UNEXPECTED_ARGUMENT, "多余的参数 '%ls'：%ls 的参数最多为：%ls。"},
    {TX_TAKES_INDEX_AND_SECONDS, "INDEX 和 SECONDS"},
    {TX_TAKES_CAPTURE, "一个抓包文件"},
    {TX_TAKES_COMPARE, "CAPTURE、CSV 和 ENDPOINT"},
    {TX_TAKES_TWO_CSV, "两个 CSV 文件"},
    {TX_TAKES_ONE_CSV, "一个 CSV 文件"},
    {TX_CSV_IS_USB_SAVE, "--csv 和 --usb-save 指向同一个文件 %ls；请各用各的文件。"},
    {TX_CSV_IS_CAPTURE, "--csv 指向了抓包文件本身 %ls；请给 CSV 另起一个文件名。"},
    {TX_JSON_IS_OUTPUT, "--json 和 %ls 指向同一个文件 %ls；请各用各的文件。"},
    {TX_JSON_IS_CAPTURE, "--json 指向了抓包文件本身 %ls；请给 JSON 另起一个文件名。"},
    {TX_JSON_IS_CSV_READ, "--json 指向了正在读取的 CSV %ls；请给 JSON 另起一个文件名。"},
    {TX_SECONDS_REFUSED,
     "SECONDS 必须是正数(如 10 或 2.5)，不是 '%ls'；不写则一直测量到按下 Ctrl+C。"},
    {TX_PCAP_NEEDS_FILE, "--pcap 需要抓包文件名(如 --pcap capture.pcapng)。"},
    {TX_COMPARE_NEEDS_FILES, "--compare 需要一个抓包文件和一次 -c 测量的 CSV 文件。"},
    {TX_USB_ONLY_AFTER_CONSOLE,
     "%ls 不能与 %ls 一起用：它在实时测量时抓取 USB，只能用于 -c 之后。"},
    {TX_ANALYZE_NEEDS_CSV, "--analyze 需要一次 -c 测量的 CSV(如 --analyze run.csv)。"},
    {TX_AB_NEEDS_CSVS, "--ab 需要两次 -c 测量的 CSV(如 --ab a.csv b.csv)。"},
    {TX_CSV_WITH_READER, "--csv 不能与 %ls 一起用：它读取测量的 CSV，不写 CSV。"},
    {TX_SLOT_ONLY_READERS, "--slot 只用于 --compare、--analyze 和 --ab；对 %ls，%ls。"},
    {TX_SLOT_CONSOLE_WHY, "由 INDEX 选择鼠标"},
    {TX_SLOT_PCAP_WHY, "会列出每个端点"},
    {TX_OPTION_BEFORE_MODE,
     "%ls 要写在模式之后：先写 -c、--pcap、--compare、--analyze 或 --ab(如 "
     "-c 0 10 --csv run.csv)。"},

    // --- console and offline reports ---
    {TX_STABILITY_WITHIN, "%.1f%% 的间隔与中位数相差不超过 10%%"},
    {TX_WHILE_MOVING_NOTE, "（连续两个移动回报之间的间隔）"},
    {TX_LOG_HELD,
     "只保留最后 %.1f 秒（更早的回报已丢弃，以限制内存）；摘要和 CSV 覆盖整个运行，USB 对比只"
     "覆盖这段时间"},
    {TX_LOG_OUT_OF_MEMORY, "记录 %llu 个回报后内存不足；CSV、报告时钟和 USB 对比只覆盖这些回报"},
    {TX_LOG_NO_INTERVALS, "内存不足，无法统计间隔；只有上面的计数有效"},
    {TX_HINT_HAND,
     "手速限制了回报率：大多数移动回报只带 1 个计数，中位速度 %.0f 计数/秒，远低于鼠标移动时达"
     "到的 %.0f 回报/秒；请移动快约 %.1f 倍（%.0f 计数/秒或更快），让每个回报都有计数可带。"},
    {TX_HINT_SATURATED,
     "%.1f%% 的移动回报饱和（位移为 127 或 128）：鼠标以 8 位报告位移；请慢些移动或降低 CPI。"},
    {TX_HINT_IDLE,
     "%.1f%% 的回报无移动（没有位移、按键或滚轮变化）：鼠标在不动时也发送回报，有的固件借此虚"
     "报回报率。"},
    {TX_THROTTLE_WARNING,
     "Windows 把后台鼠标输入限制在约 %.0f Hz（%s），而控制台模式始终在后台监听。要测得真实回报"
     "率，请使用窗口，或在 HKEY_CURRENT_USER\\Control Panel\\Mouse 下设置 DWORD 值 "
     "RawMouseThrottleEnabled=0 并重新登录。"},
    {TX_BACKGROUND_THROTTLED, "（已被限流：Windows 以 %.0f ms 的整数倍送达）"},
    {TX_NO_MOUSE, "通过 Raw Input 未找到鼠标。"},
    {TX_MOVE_TO_MEASURE, "请移动鼠标进行测量。按 Ctrl+C 退出。"},
    {TX_NO_REPORTS, "没有收到回报：请在测量期间移动鼠标。"},
    {TX_NO_HIDDEN_WINDOW, "无法创建隐藏窗口。"},
    {TX_REGISTER_FAILED, "RegisterRawInputDevices 失败（错误 %lu）。"},
    {TX_INDEX_ONE_MOUSE,
     "INDEX %.100ls 不对应任何鼠标（找到一个鼠标：1；0 = 所有鼠标）；改为测量所有鼠标。"},
    {TX_INDEX_MICE,
     "INDEX %.100ls 不对应任何鼠标（找到 %d 个鼠标：1 到 %d；0 = 所有鼠标）；"
     "改为测量所有鼠标。"},
    {TX_KEPT_IN, "已写入的内容保存在 %.500ls。"},
    {TX_WHAT_USB_CAPTURE, "USB 抓包 "},
    {TX_USB_SAVE_INCOMPLETE, "USB 抓包 %.500ls 不完整：只有 %llu 条记录（%llu 字节）%ls。"},
    {TX_HUB_KEPT_NONE, "；%ls 没有保留任何记录（%s）"},
    {TX_HUB_KEPT_UNTIL, "；%ls 保留了 %.3f 秒之前的记录，之后的已丢弃（%s）"},
    {TX_HUB_OUT_OF_MEMORY, "内存不足"},
    {TX_HUB_MIB, "每个集线器 %llu MiB"},
    {TX_HUB_BYTES, "每个集线器 %llu 字节"},
    {TX_USB_HUB_STOPPED, "%ls 在运行中停止（%ls）；抓包缺少其后的回报。"},
    {TX_USB_FULL, "抓包已达内存上限；之后的 USB 回报没有保留。"},
    {TX_USB_NO_MATCH, "没有哪个端点的回报与程序的回报对应（没有一个在其前 2 ms 内到达）。"},
    {TX_USB_NO_OVERLAP, "抓包与测量在时间上没有重叠。"},
    {TX_CLOCK_TOO_FEW, "不足 1000 个报告"},
    {TX_CLOCK_NO_PERIOD, "报告时间无固定周期"},
    {TX_CLOCK_NO_MEMORY, "内存不足，无法计算抖动"},
    {TX_MESSAGE_TOO_LONG, "（消息过长，无法显示）"},
    {TX_OPEN_IS_DIRECTORY, "这是一个文件夹；请给出文件名"},
    {TX_OPEN_NO_SUCH, "没有这个文件或文件夹；请检查名称"},
    {TX_OPEN_DENIED_WRITE, "没有权限；请选择可以写入的文件夹，或关闭占用该文件的程序"},
    {TX_OPEN_DENIED_READ, "没有权限；请确认可以读取该文件"},
    {TX_CANNOT_CREATE, "无法创建 %.500ls（用于 %ls）：%ls。"},
    {TX_CANNOT_OPEN, "无法打开 %.500ls：%ls。"},
    {TX_WRITE_FAILED, "写入 %ls%.500ls 失败（%hs）：请检查所在驱动器的剩余空间。"},
    {TX_STANDARD_OUTPUT, "标准输出"},
    {TX_CONSOLE_TITLE, " - 控制台"},
    {TX_CSV_ERROR_AT, "%ls:%llu: %ls；请给出 -c 运行写下的原样 CSV。"},
    {TX_CSV_UNREADABLE, "%ls 无法分析：%ls；请给出 -c 运行的 CSV。"},
    {TX_CSV_NO_REPORTS, "%ls 中没有回报；请给出实际测量过的 -c 运行的 CSV。"},
    {TX_CSV_NO_SLOT, "%ls 中没有槽位 %d 的行；请用 --slot 指定其他槽位。"},
    {TX_AB_NO_MEMORY, "内存不足，无法比较 %ls；请关闭其他程序后重试。"},
    {TX_AB_TRUNCATED, "%ls 长于 %d 秒：比较只取其前 %d 秒。"},
    {TX_AB_FEW_BLOCKS, "运行 %c 只有 %u 个 1 秒块；每个运行至少需要 %d 个才能给出结论。"},
    {TX_AB_NO_INTERVALS, "运行 %c 没有计入的间隔。"},
    {TX_AB_NO_MEMORY_VERDICT, "内存不足，无法比较。"},
    {TX_AB_FIRST_CHANGE, "B 的%s%s"},
    {TX_AB_NEXT_CHANGE, "%s%s"},
    {TX_AB_AMOUNT_PCT, " %.*f%%"},
    {TX_AB_AMOUNT_POINTS, " %.*f 个百分点"},
    {TX_AB_CHANGE_JOIN, "，"},
    {TX_AB_CHANGE_JOIN_LAST, "，"},
    {TX_AB_SAME_JOIN, "、"},
    {TX_AB_SAME_JOIN_LAST, "和"},
    {TX_AB_BOTH, "；"},
    {TX_AB_END_ALL_DIFFER, "。"},
    {TX_AB_END_ONE_SAME, "没有差异。"},
    {TX_AB_END_SAME, "都没有差异。"},
    {TX_AB_MEDIAN_FIRST, "中位回报率"},
    {TX_AB_MEDIAN, "中位回报率"},
    {TX_AB_MEDIAN_UP, "快%s"},
    {TX_AB_MEDIAN_DOWN, "慢%s"},
    {TX_AB_MEDIAN_SAME, "中位回报率"},
    {TX_AB_SLOW_FIRST, "慢端回报率"},
    {TX_AB_SLOW, "慢端回报率"},
    {TX_AB_SLOW_UP, "快%s"},
    {TX_AB_SLOW_DOWN, "慢%s"},
    {TX_AB_SLOW_SAME, "慢端回报率"},
    {TX_AB_SPREAD_FIRST, "间隔离散度"},
    {TX_AB_SPREAD, "间隔离散度"},
    {TX_AB_SPREAD_UP, "高%s"},
    {TX_AB_SPREAD_DOWN, "低%s"},
    {TX_AB_SPREAD_SAME, "间隔离散度"},
    {TX_AB_STABILITY_FIRST, "稳定度"},
    {TX_AB_STABILITY, "稳定度"},
    {TX_AB_STABILITY_UP, "高%s"},
    {TX_AB_STABILITY_DOWN, "低%s"},
    {TX_AB_STABILITY_SAME, "稳定度"},
    {TX_AB_CLOCK_FIRST, "报告时钟周期"},
    {TX_AB_CLOCK, "报告时钟周期"},
    {TX_AB_CLOCK_UP, "长%s"},
    {TX_AB_CLOCK_DOWN, "短%s"},
    {TX_AB_CLOCK_SAME, "报告时钟周期"},
    {TX_PLOT_HINT_HAND, "手速限制了回报率：中位速度 %.0f 计数/秒，请移动快约 %.1f 倍"},
    {TX_PLOT_HINT_SATURATED, "%.1f%% 的移动回报饱和（8 位位移）：请慢些移动或降低 CPI"},
    {TX_PLOT_HINT_IDLE, "%.1f%% 的回报无移动：鼠标在不动时也发送回报（有的固件借此虚报回报率）"},

    // --- capture headline and diagnostic ---
    {TX_CAP_SECONDS, "%.1f秒"},
    {TX_CAP_THREE_SECONDS, "3秒"},
    {TX_CAP_TITLE, "USBPcap 诊断结果 (USB 主机控制器层, %ls)\n"},
    {TX_CAP_SUMMARY,
     "\n"
     "数据摘要:\n"
     "  总包数      : %llu\n"
     "  批量/中断   : %llu\n"
     "  控制传输     : %llu\n"
     "  中断IN有效  : %llu\n"
     "\n"
     "回报率统计 (仅中断IN, 100μs~50ms):\n"},
    {TX_CAP_MOUSE, "  鼠标端点     : %ls (%llu 个报告)\n"},
    {TX_CAP_MOUSE_CHOSEN, "  鼠标端点     : %ls (%llu 个报告, 所选鼠标 %04X:%04X)\n"},
    {TX_CAP_NO_MOUSE, "  鼠标端点     : 无 (没有带数据的中断IN端点)\n"},
    {TX_CAP_RATES,
     "  平均交付率   : %7.1f Hz\n"
     "  最低瞬时     : %7.1f Hz\n"},
    {TX_CAP_NO_FIGURES, "  (内存不足，无法得出该端点的数字)\n"},
    {TX_CAP_COARSE_CLOCK, "  ⚠ 抓包时间戳按约 %ls ms 的步长取整，以上数字受抓包时钟限制。\n"},
    {TX_CAP_OTHERS, "  未计入以上数字 (端点与报告数): "},
    {TX_CAP_OTHER_BULK, "%ls (批量 %llu)"},
    {TX_CAP_SEPARATOR, "、"},
    {TX_CAP_MORE, "，另有 %d 个"},
    {TX_CAP_NO_BINTERVAL,
     "\n"
     "\n"
     "未在控制传输中解析到中断端点 bInterval\n"
     "  (需设备重新枚举才能捕获描述符)\n"},
    {TX_CAP_NO_MOUSE_BINTERVAL,
     "\n"
     "\n"
     "未在控制传输中解析到端点 %ls 的 bInterval\n"
     "  (需设备重新枚举才能捕获描述符)\n"},
    {TX_CAP_BINTERVAL,
     "\n"
     "\n"
     "探测到中断端点 bInterval = %d\n"},
    {TX_CAP_LIMIT, "  → 该端点理论上限约 %.0f Hz\n"},
    {TX_CAP_LIMIT_BOTH, "  → 该端点理论上限取决于设备速度: 全速下约 %ls Hz，高速下约 %ls Hz\n"},
    {TX_CAP_LIMIT_FULL_ONLY, "  → 该端点理论上限在全速下约 %ls Hz (此 bInterval 在高速下无效)\n"},
    {TX_CAP_NOT_VALID, "  → bInterval = %d 在此速度下对中断端点无效\n"},
    {TX_CAP_WHY_BCD_USB,
     "  (设备 %ls 的 bcdUSB 为 %x.%02x，低于 2.0: 不是高速设备，bInterval 按 1 ms 帧计)\n"},
    {TX_CAP_WHY_MAX_PACKET0,
     "  (设备 %ls 的 bMaxPacketSize0 为 %d，低于 64: 不是高速设备，bInterval 按 1 ms 帧计)\n"},
    {TX_CAP_WHY_ENDPOINT_SIZE,
     "  (设备 %ls 有 wMaxPacketSize 为 %d 的中断端点，超过全速的 64: 高速设备，bInterval 按 125 "
     "μs 微帧计)\n"},
    {TX_CAP_EIGHT_K, "  √ 端点上限支持 8K，如果实际仍然低，查配置/驱动。\n"},
    {TX_CAP_TWO_K, "  ⚠ 若你设了 8K 但上限≤2000Hz，说明接收器 USB 端被限频到 2K。\n"},
    {TX_CAP_EIGHT_K_DEPENDS,
     "  ? 端点能否支持 8K 取决于设备速度，抓包未显示设备速度: 高速下 8000 Hz，全速下 1000 Hz。\n"},
    {TX_CAP_NO_EIGHT_K, "  ⚠ 不是高速设备: 端点上限 1000 Hz，达不到 8K。\n"},
    {TX_CAP_NO_DIRECTION,
     "\n"
     "提示: 未读到方向 info 字节，如果数值异常可能方向判断有误。\n"},
    {TX_CAP_NO_VALID_IN,
     "\n"
     "⚠ 未捕获到有效的中断IN传输。\n"
     "可能原因: 测量期间内没有移动鼠标，或 USBPcap 未捕获到鼠标数据。\n"},
    {TX_PCAP_BULK_NOTE,
     "\n"
     "Note: 数据摘要把来自设备的 %llu 个批量或同步传输算作中断IN交付。它们不是鼠标报告；带数据的"
     "批量端点在下方标为 bulk。\n"},
    {TX_PCAP_ENDPOINTS,
     "\n"
     "中断IN和批量IN端点 (总线.设备.端点):\n"},
    {TX_PCAP_NO_ENDPOINTS, "  (无)\n"},
    {TX_PCAP_IGNORED_TAIL,
     "\n"
     "忽略了文件末尾的 %llu 字节 (一条不完整、不可能或过大的记录及其后的内容)。\n"},
    {TX_PCAP_READ_ERROR, "无法读取 %ls；请检查磁盘后重试。"},
    {TX_PCAP_EMPTY, "%ls 是空文件；请提供由 USBPcapCMD 或 Wireshark 保存的抓包文件。"},
    {TX_PCAP_NOT_PCAP,
     "%ls 不是 pcap 或 pcapng 文件 (开头为 %ls)；请提供由 USBPcapCMD 或 Wireshark 保存的抓包文件。"},
    {TX_PCAP_NO_USBPCAP, "%ls 中没有 USB 接口 (USBPcap: 链路类型 249；usbmon: 220 或 189)；请在 Windows 上用 USBPcap、在 Linux 上用 usbmon 抓包。"},
    {TX_PCAP_NO_COMPLETE_PACKET,
     "%ls 中没有完整的 USBPcap 数据包 (忽略了 %llu 字节)；请抓得更久一些。"},
    {TX_PCAP_NO_PACKETS, "%ls 中没有 USBPcap 数据包；请抓得更久一些。"},
    {TX_PCAP_NO_MEMORY, "内存不足，无法生成报告；请关闭其他程序后重试。"},
    {TX_DIAG_CAPTION, "USBPcap 诊断"},
    {TX_DIAG_STEP1_CAPTION, "USBPcap 诊断 — 步骤1 失败"},
    {TX_DIAG_STEP2_CAPTION, "USBPcap 诊断 — 步骤2 失败"},
    {TX_DIAG_STEP3_CAPTION, "USBPcap 诊断 — 步骤3 失败"},
    {TX_DIAG_STEP4_CAPTION, "USBPcap 诊断 — 步骤4 失败"},
    {TX_DIAG_READ_CAPTION, "USBPcap 诊断 — 读取失败"},
    {TX_DIAG_MISMATCH_CAPTION, "USBPcap 诊断 — 版本不匹配"},
    {TX_DIAG_RESULT_CAPTION, "USBPcap 诊断 — 结果"},
    {TX_DIAG_DOWNLOAD,
     "\n"
     "\n"
     "下载地址: https://github.com/desowin/usbpcap/releases\n"
     "(选择 USBPcapSetup-1.5.4.0.exe 安装，安装完重启电脑)"},
    {TX_DIAG_STEP1,
     "[步骤1/4] RegOpenKeyEx 失败 (err=%lu)\n"
     "\n"
     "可能原因:\n"
     "1) USBPcap 驱动未安装 — 请到以下地址下载并安装%ls\n"
     "2) 安装后未重启电脑\n"
     "3) 驱动被杀毒软件阻挡(检查 Windows 安全软件)\n"
     "4) 系统不兼容(USBPcap 暂不支持 ARM64 版本)"},
    {TX_DIAG_STEP2_NONE,
     "%ls[步骤2/4] 枚举 USBPcap 实例失败 (err=259 ERROR_NO_MORE_ITEMS)\n"
     "\n"
     "这表示 USBPcap 驱动已安装，但没有附加到任何 USB 主机控制器。\n"
     "\n"
     "解决方案(按顺序尝试):\n"
     "1) 重启电脑 (最常解决)\n"
     "2) 以管理员身份运行本程序 (右键 → 以管理员身份运行)\n"
     "3) 打开设备管理器 → 系统设备 → 双击 USBPcap → 禁用后启用\n"
     "4) 卸载后重新安装最新版%ls\n"
     "5) 检查是否 ARM64 系统(USBPcap 可能不支持)"},
    {TX_DIAG_STEP2,
     "%ls[步骤2/4] QueryDosDevice 失败 (err=%lu)\n"
     "\n"
     "可能原因:\n"
     "1) USBPcap 服务未启动 (检查 服务列表里的 USBPcap Filter Driver)\n"
     "2) 需要管理员权限运行\n"
     "3) 建议: 重启电脑后再试%ls"},
    {TX_DIAG_STEP3,
     "%ls[步骤3/4] 获取设备路径失败 (err=%lu)\n"
     "\n"
     "这通常不应该发生，如果持续出现请重新安装 USBPcap。%ls"},
    {TX_DIAG_STEP4,
     "%ls[步骤4/4] %ls 打开 USBPcap 设备失败 (err=%lu)\n"
     "\n"
     "路径: %ls\n"
     "\n"
     "可能原因:\n"
     "1) **未以管理员身份运行** (右键 exe → 以管理员身份运行) ← 最常见!\n"
     "2) USBPcap 服务未启动%ls"},
    {TX_DIAG_NO_HEADER,
     "%ls无法读取 USBPcap 全局头。\n"
     "\n"
     "设备已打开但无数据返回 — 可能 USBPcap 服务正在启动中，等 2~3 秒再试。"},
    {TX_DIAG_BIG_ENDIAN,
     "%lsUSBPcap 全局头是大端字节序 (开头字节 %02X %02X %02X %02X)\n"
     "\n"
     "USBPcap 在 Windows 上按小端字节序写数据流，本程序不按小端去读大端的流。\n"
     "这通常意味着 USBPcap 版本不兼容。\n"
     "当前测试版本: USBPcap 1.5.x\n"
     "如果您使用的是更新/更旧版本，请到以下地址下载最新版%ls"},
    {TX_DIAG_MISMATCH,
     "%lsUSBPcap 全局头 magic 不匹配 (0x%08X)\n"
     "\n"
     "这通常意味着 USBPcap 版本不兼容。\n"
     "当前测试版本: USBPcap 1.5.x\n"
     "如果您使用的是更新/更旧版本，请到以下地址下载最新版%ls"},
    {TX_DIAG_STEP1_DONE, "[√] 步骤1: 找到 USBPcap 设备类\n"},
    {TX_DIAG_STEP2_DONE, "[√] 步骤2: 枚举到 USBPcap 实例\n"},
    {TX_DIAG_STEP3_DONE, "[√] 步骤3: 获取设备路径\n"},
    {TX_DIAG_STEP4_DONE,
     "[√] 步骤4: 打开 USBPcap 设备\n"
     "\n"},
    {TX_DIAG_NO_MEMORY, "内存分配失败。"},
    {TX_USB_NO_DRIVER,
     "%s 需要 USBPcap 抓包驱动，但它没有安装 (错误 %lu)。请从 "
     "https://github.com/desowin/usbpcap/releases 安装后重启 Windows。"},
    {TX_USB_NOT_ELEVATED, "%s 需要管理员权限才能打开 USBPcap 设备。请以管理员身份运行终端后重试。"},
    {TX_USB_LIST_FAILED, "%s 无法列出 USBPcap 设备 (错误 %lu)；请重启 Windows 后重试。"},
    {TX_USB_NO_HUBS, "%s 没有找到 USBPcap 设备：安装驱动后请重启 Windows。"},
    {TX_USB_NO_MEMORY, "内存不足，无法运行 %s；请关闭其他程序后重试。"},
    {TX_USB_OPEN_FAILED, "%s 无法打开任何 USBPcap 设备 (%ls 错误 %lu)。请以管理员身份运行终端。"},
    {TX_USB_LOST_NO_MEMORY, "内存不足"},
    {TX_USB_LOST_CORRUPT, "它送来的记录比 USBPcap 写的都大"},
    {TX_USB_LOST_READS, "它的读取一再失败"},
    {TX_USB_LOST_NEXT_READ, "它的下一次读取无法开始"},
    {TX_USB_LOST_WAIT, "等待它的读取失败"},
    {TX_CMP_NEEDS_FILES, "--compare 需要一个抓包文件和一次 -c 运行的 CSV 文件。"},
    {TX_CMP_NO_MEMORY_CAPTURE, "内存不足，无法读取抓包；请关闭其他程序后重试。"},
    {TX_CMP_NO_MEMORY, "内存不足，无法比较；请关闭其他程序后重试。"},
    {TX_CMP_CSV_LINE, "%ls:%llu: %ls；请提供 -c 运行写出的原样 CSV。"},
    {TX_CMP_CSV_UNUSABLE, "%ls 无法比较：%ls；请提供 -c 运行的 CSV。"},
    {TX_CMP_CSV_EMPTY, "%ls 中没有报告；请提供一次有测量的 -c 运行的 CSV。"},
    {TX_CMP_NO_SLOT_ROWS, "%ls 中没有槽位 %d 的行 (它的行属于槽位 %hs)；请把其中一个交给 --slot。"},
    {TX_CMP_NO_OVERLAP,
     "%ls 和 %ls 在时间上没有重叠：CSV 从 %ls 到 %ls，%ls 从 %ls 到 %ls。请比较同一时间的测量和"
     "抓包。"},
    {TX_CMP_THE_CAPTURE, "抓包"},
    {TX_CMP_ENDPOINT, "端点 %hs"},
    {TX_CMP_NONE, "无"},
    {TX_CMP_NO_MATCH,
     "抓包中没有端点与程序的报告相符 (没有一个端点在它们之前 2 ms 内有报告)；请指定一个端点，或"
     "检查 --slot。"},
    {TX_CMP_BAD_ENDPOINT, "%.100ls 不是 1.3.0x81 这样的端点；抓包中的中断IN端点：%ls。"},
    {TX_CMP_EMPTY_ENDPOINT, "端点 %.100ls 在抓包中没有中断IN报告；抓包中的中断IN端点：%ls。"},
    {TX_CMP_USB_BOUND,
     "USB layer: 抓包中的中断IN报告多于比较所能保留的；之后的报告没有参与比较。\n"},
    {TX_CMP_CSV_BOUND, "Program layer: CSV 中的报告多于比较所能保留的；之后的报告没有参与比较。\n"},
    {TX_LAYER_COARSE,
     "抓包的时钟太粗，得不出延迟：超过 %d%% 的间隔正好为 0 (旧版 USBPcap 驱动以约 15.6 ms 为步长"
     "打时间戳)。\n"},
    {TX_LAYER_MOUSE_CLOCK, "鼠标的时钟为 %.0f us (%.0f Hz)"},
    {TX_LAYER_MOUSE_SENT, "鼠标以%s %.0f Hz 发送报告"},
    {TX_LAYER_ABOUT, "约"},
    {TX_LAYER_TOO_FEW, "共同时段内的报告太少，无法比较两层。\n"},
    {TX_LAYER_BURSTS,
     "，但 Windows 成批交付，每批 %.0f 个：它把 %.0f 个报告并入一次交付 (每 %.0f 个报告只交付一"
     "次)，正如它的后台节流所做。\n"},
    {TX_LAYER_NOT_BEHIND,
     "程序收到了 %llu 个背后没有新 USB 报告的报告：它们不是来自这个端点，或者抓包漏掉了一些。\n"},
    {TX_LAYER_SOME_MERGED, "；Windows 大多逐个交付报告，但把 %llu 个并入了其他交付。\n"},
    {TX_LAYER_ONE_BY_ONE, "，Windows 逐个交付了每个报告。\n"},
    {TX_LAYER_ONE_BY_ONE_LATER, "，Windows 逐个交付了每个报告，约晚 %.1f ms。\n"},
    {TX_CAP_MOUSE_GAPS, "  有效间隔     : %llu\n"},

    // --- main window, about box, message boxes ---
    {TX_WIN_START, "开始测量(&S)"},
    {TX_WIN_STOP, "停止测量(&S)"},
    {TX_WIN_CLEAR, "清除数据(&C)"},
    {TX_WIN_DIAG, "USBPcap 诊断(&U)"},
    {TX_WIN_ABOUT, "关于(&A)"},
    {TX_WIN_PLOT, "间隔图(&P)"},
    {TX_ABOUT_CAPTION, "关于 — %ls"},
    {TX_HELP,
     "%ls  —  使用说明\n"
     "\n"
     "1. 测量原理\n"
     "   通过 Windows Raw Input 接收每个鼠标 HID 报告，收到瞬间用高精度计时器(QPC)打时间戳。\n"
     "   相邻两次时间戳之差 = 一次报告间隔；瞬时 Hz = 1,000,000 ÷ 间隔(微秒)。\n"
     "   报告由独立的高优先级读取线程接收，界面、绘图、导出都不会推迟时间戳；同一次读取的报告共用一个时间戳。\n"
     "   适配所有 HID 鼠标(USB / 蓝牙 / 2.4G / 星闪等无线方案均可)。\n"
     "\n"
     "2. 读数含义\n"
     "   • 回报时钟：由报告时间推算出的鼠标自身报告周期换算成的回报率，及其报告槽被填满的比例；这是可以直接引用的回报率。\n"
     "     报告不足 1000 个或报告时间无固定周期时，改为显示中位回报率及原因。\n"
     "   • 平均回报率：纸面表现，大致等于你设置的值。\n"
     "   • 最低瞬时：最长间隔决定是否卡顿(最重要)。\n"
     "   • 最高瞬时：设备上限能力(已过滤系统合并投递的虚假极值，封顶 10000Hz)。\n"
     "   • 近1秒最低：最近 1 秒内的最差情况。\n"
     "   • 报告数 / 时长：均为 64 位计数，正常使用不会溢出。\n"
     "   • 停止测量后，所有读数都是这次测量的结果，不再变化。\n"
     "\n"
     "3. 直方图与分档\n"
     "   柱色：青/绿(>8K / 8K / 4K / 2K)=精英/电竞级；金(1K)=竞技标准(大众主流水平)。\n"
     "   橙(500)=尚可；红(≤125)=明显卡顿。注：1K 和 2K 均为“好”，不必追求最左边。\n"
     "   分档容差：每档上限在频率上向上放宽 15%%(如 1000Hz 档实际上延到 1150Hz)，\n"
     "   使仅略超名义值的样本(如 1001/1002Hz)归入更低一档，避免点亮整柱、更符合直觉。\n"
     "   说明：鼠标回报率的响应时间受电磁干扰、USB 调度、CPU 抢占等多种环境因素影响，\n"
     "   实测数值并不一定完全准确；加入这 15%% 向上浮动，正是为了让直方图更贴近人的直觉。\n"
     "   柱下标签是该柱所含间隔的名义回报率：1K 柱含 575–1150Hz，500 柱含 287.5–575Hz，以此类推；\n"
     "   标签下的百分比是该柱占全部有效间隔的比例。\n"
     "\n"
     "4. 关于 8K 卡 2K\n"
     "   高速 USB：bInterval=1 → 125µs → 8000Hz；bInterval=3 → 500µs → 2000Hz。\n"
     "   设 8K 却只到 2K，说明接收器到电脑的 USB 端点被限频。\n"
     "   解决：用厂商软件(如Logitech G HUB/Razer Synapse)把 8K 配置推给接收器 + 换后置主板 USB 口。\n"
     "\n"
     "5. 使用要点\n"
     "   • 测量时请移动鼠标(电竞鼠会持续发心跳包)。\n"
     "   • Windows 11 把后台窗口的鼠标输入限速到约 125Hz(每 8ms 一次)：测量时请让本窗口留在前台。\n"
     "   • 后台测量需在 HKEY_CURRENT_USER\\Control Panel\\Mouse 设 DWORD RawMouseThrottleEnabled=0，注销后重新登录。\n"
     "   • 拔插鼠标后程序会自动重新识别。\n"
     "   • 间隔图：按时间画出每个报告的间隔(滚轮缩放时间、Shift+滚轮缩放纵轴、拖动平移、双击复原)，可导出 CSV。\n"
     "   • 键盘：Tab 在各控件间切换，回车或空格开始/停止测量，Alt+按钮上带下划线的字母直接按下该按钮。\n"
     "   • 支持所有 HID 鼠标，无需装驱动/管理员。\n"
     "   • USBPcap 诊断(可选，需驱动+管理员)：https://github.com/desowin/usbpcap/releases\n"},
    {TX_BOX_NO_MICE, "未找到鼠标设备(Raw Input)。"},
    {TX_BOX_NOTICE, "提示"},
    {TX_BOX_REGISTER_FAILED, "注册 Raw Input 失败。"},
    {TX_BOX_ERROR, "错误"},
    {TX_BOX_CLASS_FAILED, "窗口类注册失败。"},
    {TX_BOX_WINDOW_FAILED, "窗口创建失败。"},
    {TX_PANEL_STOPPED, "○ 已停止"},
    {TX_PANEL_BACKGROUND_THROTTLED, "● 测量中（后台接收，Windows 限速约 %.0f Hz）"},
    {TX_PANEL_BACKGROUND, "● 测量中（后台接收）"},
    {TX_PANEL_MOVE_MOUSE, "● 测量中 — 请移动鼠标"},
    {TX_PANEL_MEASURING, "● 测量中"},
    {TX_PANEL_ACTIVE, "正在活动的设备: %ls  [统计锁定该设备]"},
    {TX_PANEL_ACTIVE_NONE, "正在活动的设备: (动一下鼠标即可识别)"},
    {TX_PANEL_AVERAGE, "平均回报率 : %8.1f Hz"},
    {TX_PANEL_LOWEST, "最低瞬时   : %8.1f Hz   (最长间隔决定卡顿)"},
    {TX_PANEL_HIGHEST, "最高瞬时   : %8.1f Hz"},
    {TX_PANEL_LAST_SECOND, "近1秒最低  : %8.1f Hz"},
    {TX_PANEL_REPORTS, "报告数     : %llu    时长: %.1f s"},
    {TX_PANEL_COALESCED, "系统合并投递(已剔除): %llu"},
    {TX_PANEL_HISTOGRAM, "间隔分布直方图"},
    {TX_PANEL_LEGEND, "绿/金=流畅  橙=尚可  红=明显卡顿  |  1K=竞技标准  2K=职业选手  >4K=精英"},
    {TX_PANEL_CLOCK, "回报时钟 %.1f Hz · 填充 %.1f %%"},
    {TX_PANEL_CLOCK_PENDING, "回报时钟 …"},
    {TX_PANEL_MEDIAN, "中位回报率 %ls"},
    {TX_PANEL_NO_CLOCK, "（无回报时钟：%ls）"},
    {TX_PANEL_NO_CLOCK_FEW, "不足 1000 个报告"},
    {TX_PANEL_NO_CLOCK_PERIOD, "报告时间无固定周期"},
    {TX_PANEL_NO_CLOCK_MEMORY, "内存不足"},

    // --- plot window and saved pictures ---
    {TX_PLOT_VIEW_INTERVALS, "间隔"},
    {TX_PLOT_VIEW_COUNTS, "计数"},
    {TX_PLOT_VIEW_SPEED, "速度"},
    {TX_PLOT_EXPORT_BUTTON, "导出 CSV"},
    {TX_PLOT_CANCEL_EXPORT, "取消导出"},
    {TX_PLOT_OPEN_BUTTON, "打开 CSV"},
    {TX_PLOT_IMAGE_BUTTON, "保存图片"},
    {TX_PLOT_TITLE, "间隔图 — %ls"},
    {TX_PLOT_SAVED_TITLE, "间隔图 — %ls — %ls"},
    {TX_PLOT_WINDOW_FAILED, "间隔图窗口创建失败。"},
    {TX_PLOT_ERROR, "错误"},
    {TX_PLOT_LINE_SLOW, "慢端 P99"},
    {TX_PLOT_LINE_MEDIAN, "中位"},
    {TX_PLOT_LINE_FAST, "快端 P1"},
    {TX_PLOT_CLOCK_LABEL, "时钟 %.3f ms  %+.0f ppm  填充 %.0f%%"},
    {TX_PLOT_LEGEND_MERGED, "系统合并投递 (轴下)"},
    {TX_PLOT_LEGEND_BEYOND, "超出纵轴"},
    {TX_PLOT_LEGEND_STILL, "无移动的报告"},
    {TX_PLOT_LEGEND_SPEED, "速度：√(Δx²+Δy²) ÷ 有效间隔，计数/秒"},
    {TX_PLOT_SUM_N, "n=%llu"},
    {TX_PLOT_SUM_SLOW, "慢端 P99 %.2f Hz"},
    {TX_PLOT_SUM_MEDIAN, "中位 %.2f Hz"},
    {TX_PLOT_SUM_FAST, "快端 P1 %.2f Hz"},
    {TX_PLOT_SUM_SD, "标准差 %.1f µs"},
    {TX_PLOT_SUM_STABILITY, "稳定度 %.1f%%"},
    {TX_PLOT_SUM_CLOCK, "时钟 %.3f µs"},
    {TX_PLOT_SUM_NO_CLOCK, "时钟 无（%ls）"},
    {TX_PLOT_SUM_WRAPPED, "(图中只有最近 %.1f 秒)"},
    {TX_PLOT_SUM_FAILED, "(内存不足，图的记录已停止)"},
    {TX_PLOT_NOTE_POSITIONS, "只有绝对位置的报告（绘图板、远程桌面或虚拟机）：没有计数可画"},
    {TX_PLOT_NOTE_MOVE, "尚无数据：移动鼠标"},
    {TX_PLOT_NOTE_START, "尚无数据：开始测量并移动鼠标"},
    {TX_PLOT_TOO_FEW, "报告太少：至少要有 2 个有效间隔才能导出 CSV。"},
    {TX_PLOT_EXPORTING, "正在导出：%ls"},
    {TX_PLOT_EXPORTED, "已导出 %lld 行：%ls"},
    {TX_PLOT_EXPORT_CANCELLED, "已取消导出"},
    {TX_PLOT_EXPORT_FAILED, "导出失败：%ls"},
    {TX_PLOT_CSV_WRITE_FAILED, "无法写入 CSV 文件：\n%ls\n\n%hs"},
    {TX_PLOT_EXPORT_LOST, "无法导出 CSV 文件：\n%ls\n\n导出时数据被清除，或日志已覆盖尚未写出的报告；没有写出文件。"},
    {TX_PLOT_READING, "正在读取：%ls"},
    {TX_PLOT_CSV_READ, "已读取 %llu 行：%ls"},
    {TX_PLOT_CSV_OPEN_FAILED, "无法打开 CSV 文件：\n%ls\n\n%hs"},
    {TX_PLOT_CSV_READ_FAILED_AT, "无法读取 CSV 文件：\n%ls:%llu: %ls"},
    {TX_PLOT_CSV_READ_FAILED, "无法读取 CSV 文件：\n%ls: %ls"},
    {TX_PLOT_CSV_EMPTY, "CSV 文件中没有报告：\n%ls"},
    {TX_PLOT_SAVED_FULL, "已打开 %d 个保存的运行：请先关闭一个。"},
    {TX_PLOT_SAVED_NO_MEMORY, "内存不足，无法打开 CSV 文件。"},
    {TX_PLOT_ALL_FILES, "所有文件"},
    {TX_PLOT_IMAGE_TOO_SMALL, "窗口太小：没有可保存的图片。"},
    {TX_PLOT_IMAGE_SAVED, "已保存图片：%ls"},
    {TX_PLOT_IMAGE_FAILED, "保存图片失败：%ls"},
    {TX_PLOT_IMAGE_ENCODE_FAILED, "无法保存图片：\n%ls\n\nPNG 编码失败。"},
    {TX_PLOT_IMAGE_WRITE_FAILED, "无法保存图片：\n%ls\n\n%hs"},
    {TX_PLOT_INFO_SAVED_RUN, "保存的运行 %ls"},
    {TX_PLOT_INFO_MEASURED, "测量于 %ls"},
    {TX_PLOT_INFO_SAVED, "保存于 %ls"},
    {TX_PLOT_INFO_NO_DATE, "测量时间未知"},

    // --- mouse names and choosing a mouse ---
    {TX_MOUSE_ALL_COUNT, "全部鼠标 (%d 只)"},
    {TX_MOUSE_ALL, "全部鼠标"},
    {TX_MOUSE_IDS, "鼠标 VID_%ls PID_%ls"},
    {TX_MOUSE_HID, "HID 鼠标"},
    {TX_INDEX_REFUSED, "INDEX 必须是整数(0 = 全部鼠标，1 起为单只鼠标；--list 可列出)，不是 '%ls'。"},
    {TX_LIST_NONE, "通过 Raw Input 未找到鼠标。"},

    // --- the report clock ---
    {TX_CLOCK_LATE_READS, "读取最多延迟 %d 个周期，报告无法对齐到同一时钟网格"},
    {TX_CLOCK_LATE_READ_ONE, "读取最多延迟 1 个周期，报告无法对齐到同一时钟网格"},

    // --- leftovers found later ---
    {TX_CSV_CR_INSIDE, "行的中间有一个回车符"},
    {TX_CSV_AFTER_QUOTE, "带引号字段的右引号之后还有文字"},
    {TX_CSV_LINE_TOO_LONG, "该行超过 %d 字节"},
    {TX_CSV_QUOTE_OPEN, "从这里开始的带引号字段没有闭合"},
    {TX_CSV_EMPTY, "文件是空的"},
    {TX_CSV_READ_FAILED, "无法读取文件"},
    {TX_CSV_NO_MEMORY, "内存不足，无法读入"},
    {TX_CSV_OUT_OF_MEMORY, "内存不足"},
    {TX_CSV_NO_T_US, "没有 t_us 列（用 -c ... --csv 写出的 CSV 才有）"},
    {TX_CSV_NO_UTC_US, "没有 utc_us 列（用 -c ... --csv 写出的 CSV 才有）"},
    {TX_CSV_NO_SLOT_COLUMN, "没有 slot 列，无法选出槽位 %d"},
    {TX_CSV_ROW_SHORT, "该行在 %s 字段（第 %d 个字段）之前就结束了"},
    {TX_CSV_NOT_WHOLE, "%s 为 \"%s\"，不是 %lld 到 %lld 之间的整数"},
    {TX_CSV_BAD_CLASS, "class 为 \"%s\"，不是 first、accepted、coalesced 或 pause"},
    {TX_CSV_BAD_TIME, "t_us 为 \"%s\"，不是以微秒计的时间"},
    {TX_CSV_TIME_BACKWARDS, "t_us 为 %s，早于上一行"},
    {TX_CSV_UTC_EMPTY, "utc_us 为空"},
    {TX_CSV_UTC_NOT_WHOLE, "utc_us 为 \"%s\"，不是整数微秒"},
    {TX_CSV_SLOT_RANGE, "slot 为 \"%s\"，不是 0 到 %d 之间的槽位号"},
    {TX_THROTTLE_ABSENT, "未设置"},

    // --- buttons and wheel ---
    {TX_BUTTON_LEFT, "左键"},
    {TX_BUTTON_RIGHT, "右键"},
    {TX_BUTTON_MIDDLE, "中键"},
    {TX_BUTTON_BACK, "后退键"},
    {TX_BUTTON_FORWARD, "前进键"},
    {TX_WHEEL_VERTICAL, "滚轮"},
    {TX_WHEEL_HORIZONTAL, "水平滚轮"},
    {TX_HINT_CHATTER,
     "%s抖动：%llu 次按下（共 %llu 次）距该键松开不到 %.1f ms（最短间隔 %.1f ms）。这样回弹的"
     "微动开关会自己双击。"},
    {TX_HINT_WHEEL_REVERSALS,
     "%.1f%% 的%s刻度（%llu / %llu）与滚动方向相反，每次都是夹在反方向刻度之间的单独一格：磨损或"
     "脏污的滚轮会这样回跳。"},
    {TX_CHATTER_MS_REFUSED, "--chatter-ms 需要 0.5 到 100 之间的毫秒数（如 --chatter-ms 10），不是 '%ls'。"},
    {TX_CHATTER_MS_ONLY, "--chatter-ms 只能与 -c 和 --analyze 一起使用，不能与 %ls 一起使用。"},
    {TX_USAGE_CHATTER,
     "  --chatter-ms N                   用于 -c 或 --analyze 之后：按键松开后不到 N 毫秒又按下\n"
     "                                   即计为抖动(默认 10)\n"},

    // --- buttons in the window and the plot ---
    {TX_PLOT_VIEW_BUTTONS, "按键"},
    {TX_BUTTON_SHORT_LEFT, "左键"},
    {TX_BUTTON_SHORT_RIGHT, "右键"},
    {TX_BUTTON_SHORT_MIDDLE, "中键"},
    {TX_BUTTON_SHORT_BACK, "后退键"},
    {TX_BUTTON_SHORT_FORWARD, "前进键"},
    {TX_WHEEL_SHORT, "滚轮"},
    {TX_HWHEEL_SHORT, "水平滚轮"},
    {TX_PANEL_BUTTON_PRESSES, "%ls %llu 次"},
    {TX_PANEL_BUTTON_ONE_PRESS, "%ls 1 次"},
    {TX_PANEL_BUTTON_CHATTER, " · 抖动 %llu"},
    {TX_PANEL_WHEEL_NOTCHES, "%ls %llu 格"},
    {TX_PANEL_WHEEL_ONE_NOTCH, "%ls 1 格"},
    {TX_PANEL_WHEEL_REVERSALS, " · 反转 %llu"},
    {TX_PLOT_LEGEND_HELD, "按住（按下到松开）"},
    {TX_PLOT_LEGEND_CHATTER, "抖动：松开后不到 %g ms 又按下"},
    {TX_PLOT_LEGEND_NOTCHES, "滚轮刻度（向上、向下）"},
    {TX_PLOT_LEGEND_REVERSAL, "反转：逆着滚动方向的单独一格"},
    {TX_PLOT_NOTE_PRESS, "尚无按键：按下鼠标按键或转动滚轮"},
    {TX_PLOT_NOTE_NO_PRESSES, "没有按下按键，滚轮也没有转动"},

    // --- usbmon captures ---
    {TX_USBMON_TITLE, "usbmon (Linux) 诊断结果 (USB 主机控制器层, %ls)\n"},
    {TX_USBMON_NO_VALID_IN,
     "\n"
     "⚠ 未捕获到有效的中断IN传输。\n"
     "可能原因: 测量期间内没有移动鼠标，或 usbmon 未捕获到鼠标数据。\n"},
    {TX_USBMON_NO_COMPLETE_PACKET,
     "%ls 中没有完整的 usbmon 数据包 (忽略了 %llu 字节)；请抓得更久一些。"},
    {TX_USBMON_NO_PACKETS, "%ls 中没有 usbmon 数据包；请抓得更久一些。"},
    {TX_USBMON_CLOCKS_APART,
     "抓包来自 Linux 主机 (usbmon)，与本次运行在时间上不重叠: 两者的时钟不同，因此只把数字并列比较，"
     "不逐个报告配对。\n"},

    {TX_USBMON_UNUSABLE,
     "\n"
     "%llu / %llu 条 usbmon 记录无法读取 (短于记录头、被截断或类型未知)，未计入任何数字；"
     "抓包长度上限 (snap length) 过小时，每条记录保留的内容不够。\n"},

    // --- the native offline program ---
    {TX_NEEDS_WINDOWS, "%ls 要通过 Windows 测量鼠标，需在 Windows 上运行；此版本只能运行 --pcap、--compare、"
                       "--analyze 和 --ab。"},

    // --- layers: reads of several reports ---
    {TX_LAYER_READS_LATER, "，程序每次读取 %s 个报告，约晚 %.1f ms；没有报告丢失或被合并。\n"},
    {TX_LAYER_READS, "，程序每次读取 %s 个报告；没有报告丢失或被合并。\n"},
    {TX_LAYER_READS_MERGED, "，程序每次读取 %s 个报告，但 Windows 把 %llu 个并入了其他报告。\n"},

    // --- clock map, JSON and package ---
};
const size_t kChineseTextCount = sizeof kChineseTexts / sizeof kChineseTexts[0];
