// 中文文本 (the Chinese texts). Keep each group where texts.h has it, and a
// format's conversions (%d, %.1f, %ls ...) the same as in texts_en.cpp.
#include "core/views/texts.h"

const TextRow kChineseTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang 只接受 en 或 zh，不是 '%ls'。"},

    // --- console and offline reports ---

    // --- capture headline and diagnostic ---
    {TX_CAP_SECONDS, "%.1f秒"},
    {TX_CAP_THREE_SECONDS, "3秒"},
    {TX_CAP_HEAD,
     "USBPcap 诊断结果 (USB 主机控制器层, %ls)\n"
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
    {TX_CAP_WHY_QUALIFIER,
     "  (设备 %ls 应答了 device qualifier 请求: 高速设备，bInterval 按 125 μs 微帧计)\n"},
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
    {TX_PCAP_NO_USBPCAP, "%ls 中没有 USBPcap 接口 (链路类型 249)；请用 USBPcap 抓包。"},
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
    {TX_CMP_CSV_LINE, "%ls:%llu: %hs；请提供 -c 运行写出的原样 CSV。"},
    {TX_CMP_CSV_UNUSABLE, "%ls 无法比较：%hs；请提供 -c 运行的 CSV。"},
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

    // --- main window, about box, message boxes ---

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---

};
const size_t kChineseTextCount = sizeof kChineseTexts / sizeof kChineseTexts[0];
