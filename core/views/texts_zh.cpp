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
     "  --pcap FILE                      分析保存的 USBPcap 抓包文件(pcap 或 pcapng)\n"
     "  --csv FILE                       用于 -c 或 --pcap 之后：同时把每个报告写入 FILE\n"
     "  --json FILE                      用于 -c、--pcap、--compare、--analyze 或 --ab 之后：\n"
     "                                   同时把各项数据以 JSON 写入 FILE\n"
     "  --usb, --usb-save FILE           用于 -c 之后：同时抓取 USB(USBPcap，需管理员)，\n"
     "                                   并与 Windows 投递的报告对比；FILE：保存的 pcap\n"
     "  --compare CAPTURE CSV [ENDPOINT] 对比 USBPcap 抓包与一次 -c 测量的 CSV\n"
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
    {TX_USB_SAVE_INCOMPLETE, "USB 抓包 %.500ls 不完整：只有 %llu 条记录（%llu 字节）%hs。"},
    {TX_HUB_KEPT_NONE, "；%ls 没有保留任何记录（%s）"},
    {TX_HUB_KEPT_UNTIL, "；%ls 保留了 %.3f 秒之前的记录，之后的已丢弃（%s）"},
    {TX_HUB_OUT_OF_MEMORY, "内存不足"},
    {TX_HUB_MIB, "每个集线器 %llu MiB"},
    {TX_HUB_BYTES, "每个集线器 %llu 字节"},
    {TX_USB_HUB_STOPPED, "%ls 在运行中停止（%hs）；抓包缺少其后的回报。"},
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
    {TX_CSV_ERROR_AT, "%ls:%llu: %hs；请给出 -c 运行写下的原样 CSV。"},
    {TX_CSV_UNREADABLE, "%ls 无法分析：%hs；请给出 -c 运行的 CSV。"},
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
    {TX_PLOT_CLOCK_TOO_FEW, "不足 1000 个报告"},
    {TX_PLOT_CLOCK_NO_PERIOD, "报告时间无固定周期"},
    {TX_PLOT_CLOCK_NO_MEMORY, "内存不足"},
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

};
const size_t kChineseTextCount = sizeof kChineseTexts / sizeof kChineseTexts[0];
