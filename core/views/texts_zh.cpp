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

    // --- mouse names and choosing a mouse ---

    // --- the report clock ---
    {TX_CLOCK_LATE_READS, "读取最多延迟 %d 个周期，报告无法对齐到同一时钟网格"},
    {TX_CLOCK_LATE_READ_ONE, "读取最多延迟 1 个周期，报告无法对齐到同一时钟网格"},

};
const size_t kChineseTextCount = sizeof kChineseTexts / sizeof kChineseTexts[0];
