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
