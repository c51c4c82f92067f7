// 中文文本 (the Chinese texts). Keep each group where texts.h has it, and a
// format's conversions (%d, %.1f, %ls ...) the same as in texts_en.cpp.
#include "core/views/texts.h"

const TextRow kChineseTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang 只接受 en 或 zh，不是 '%ls'。"},

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

};
const size_t kChineseTextCount = sizeof kChineseTexts / sizeof kChineseTexts[0];
