// 中文文本 (the Chinese texts). Keep each group where texts.h has it, and a
// format's conversions (%d, %.1f, %ls ...) the same as in texts_en.cpp.
#include "core/views/texts.h"

const TextRow kChineseTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang 只接受 en 或 zh，不是 '%ls'。"},

    // --- console and offline reports ---

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

    // --- mouse names and choosing a mouse ---

};
const size_t kChineseTextCount = sizeof kChineseTexts / sizeof kChineseTexts[0];
