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

    // --- capture headline and diagnostic ---

    // --- main window, about box, message boxes ---

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
