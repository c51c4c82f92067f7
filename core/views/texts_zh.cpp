// 中文文本 (the Chinese texts). Keep each group where texts.h has it, and a
// format's conversions (%d, %.1f, %ls ...) the same as in texts_en.cpp.
#include "core/views/texts.h"

const TextRow kChineseTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang 只接受 en 或 zh，不是 '%ls'。"},

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

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---

};
const size_t kChineseTextCount = sizeof kChineseTexts / sizeof kChineseTexts[0];
