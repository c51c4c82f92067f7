// The capture diagnostic. Each step that succeeds adds a line to a progress
// log that prefixes every later failure message. The driver keeps one capture
// stream per root hub, so every hub is opened, set up and read with one
// overlapped read outstanding; the per-hub tallies are merged into one report.
// The outcome is composed first and shown last, so that nothing but the final
// box depends on the window.
#include "capture/usbpcap_diag.h"

#include <stdarg.h>
#include <string.h>
#include <wchar.h>

#include "core/captures/capture_stream.h"
#include "core/heap.h"
#include "engine/reception.h"
#include "platform/diag_clock.h"
#include "platform/message_box.h"
#include "capture/usbpcap_hubs.h"
#include "platform/usbpcap_driver.h"

enum {
    // One deadline for the header phase and the capture window together: the
    // window's thread is held for no longer than this.
    CAPTURE_WINDOW_MS = 3000,
    EMPTY_READ_PAUSE_MS = 5,
};

#define DOWNLOAD_SUFFIX                                                 \
    L"\n\n下载地址: https://github.com/desowin/usbpcap/releases\n" \
    L"(选择 USBPcapSetup-1.5.4.0.exe 安装，安装完重启电脑)"

static const wchar_t kCaption[] = L"USBPcap 诊断";
static const wchar_t kStep1Caption[] = L"USBPcap 诊断 — 步骤1 失败";
static const wchar_t kStep2Caption[] = L"USBPcap 诊断 — 步骤2 失败";
static const wchar_t kStep3Caption[] = L"USBPcap 诊断 — 步骤3 失败";
static const wchar_t kStep4Caption[] = L"USBPcap 诊断 — 步骤4 失败";
static const wchar_t kReadCaption[] = L"USBPcap 诊断 — 读取失败";
static const wchar_t kMismatchCaption[] = L"USBPcap 诊断 — 版本不匹配";
static const wchar_t kResultCaption[] = L"USBPcap 诊断 — 结果";

static const wchar_t kStep1Text[] =
    L"[步骤1/4] RegOpenKeyEx 失败 (err=%lu)\n\n可能原因:\n"
    L"1) USBPcap 驱动未安装 — 请到以下地址下载并安装%ls\n2) 安装后未重启电脑\n"
    L"3) 驱动被杀毒软件阻挡(检查 Windows 安全软件)\n4) 系统不兼容(USBPcap 暂不支持 ARM64 版本)";
static const wchar_t kStep2NoneText[] =
    L"%ls[步骤2/4] 枚举 USBPcap 实例失败 (err=259 ERROR_NO_MORE_ITEMS)\n\n"
    L"这表示 USBPcap 驱动已安装，但没有附加到任何 USB 主机控制器。\n\n解决方案(按顺序尝试):\n"
    L"1) 重启电脑 (最常解决)\n2) 以管理员身份运行本程序 (右键 → 以管理员身份运行)\n"
    L"3) 打开设备管理器 → 系统设备 → 双击 USBPcap → 禁用后启用\n4) 卸载后重新安装最新版%ls\n"
    L"5) 检查是否 ARM64 系统(USBPcap 可能不支持)";
static const wchar_t kStep2Text[] =
    L"%ls[步骤2/4] QueryDosDevice 失败 (err=%lu)\n\n可能原因:\n"
    L"1) USBPcap 服务未启动 (检查 服务列表里的 USBPcap Filter Driver)\n2) 需要管理员权限运行\n"
    L"3) 建议: 重启电脑后再试%ls";
static const wchar_t kStep3Text[] =
    L"%ls[步骤3/4] 获取设备路径失败 (err=%lu)\n\n这通常不应该发生，如果持续出现请重新安装 USBPcap。%ls";
static const wchar_t kStep4Text[] =
    L"%ls[步骤4/4] %ls 打开 USBPcap 设备失败 (err=%lu)\n\n路径: %ls\n\n可能原因:\n"
    L"1) **未以管理员身份运行** (右键 exe → 以管理员身份运行) ← 最常见!\n2) USBPcap 服务未启动%ls";
static const wchar_t kNoHeaderText[] =
    L"%ls无法读取 USBPcap 全局头。\n\n设备已打开但无数据返回 — 可能 USBPcap 服务正在启动中，等 2~3 秒再试。";
static const wchar_t kBigEndianText[] =
    L"%lsUSBPcap 全局头是大端字节序 (开头字节 %02X %02X %02X %02X)\n\n"
    L"USBPcap 在 Windows 上按小端字节序写数据流，本程序不按小端去读大端的流。\n"
    L"这通常意味着 USBPcap 版本不兼容。\n当前测试版本: USBPcap 1.5.x\n"
    L"如果您使用的是更新/更旧版本，请到以下地址下载最新版%ls";
static const wchar_t kMismatchText[] =
    L"%lsUSBPcap 全局头 magic 不匹配 (0x%08X)\n\n这通常意味着 USBPcap 版本不兼容。\n"
    L"当前测试版本: USBPcap 1.5.x\n如果您使用的是更新/更旧版本，请到以下地址下载最新版%ls";

// --- Progress log and outcomes -----------------------------------------------

static void log_append(wchar_t* log, const wchar_t* line) {
    size_t used = wcslen(log);
    size_t room = DIAG_LOG_UNITS - 1 - used;
    size_t n = wcslen(line);
    if (n > room)
        n = room;
    wmemcpy(log + used, line, n);
    log[used + n] = 0;
}

// Formats a failure, cut to the log's 768 units; returns 1 for the caller.
static int fail(DiagOutcome* out, const wchar_t* caption, const wchar_t* fmt, ...) {
    static wchar_t full[4096];
    va_list args;
    va_start(args, fmt);
    int n = vswprintf(full, 4096, fmt, args);
    va_end(args);
    if (n < 0)
        full[4095] = 0;
    wcsncpy(out->text, full, DIAG_LOG_UNITS - 1);
    out->text[DIAG_LOG_UNITS - 1] = 0;
    out->caption = caption;
    out->type = MB_ICONWARNING;
    out->result = 1;
    return 1;
}

// --- Hubs -------------------------------------------------------------------------

enum HubFailure {
    HUB_NO_FAILURE,
    HUB_NO_HEADER,  // read failed, returned nothing, or no header in time
    HUB_MISMATCH,
    HUB_BIG_ENDIAN,
};

struct Diag {
    wchar_t log[DIAG_LOG_UNITS];
    Hub* hubs;
    int hub_count;
    HubFailure first_failure;
    uint32_t first_magic;
};

static void release_all(Diag* d) {
    if (!d->hubs)
        return;
    for (int i = 0; i < d->hub_count; i++)
        hub_release(&d->hubs[i]);
    heap_free(d->hubs);
    d->hubs = NULL;
}

static void drop_hub(Diag* d, Hub* h, HubFailure why, uint32_t magic) {
    if (d->first_failure == HUB_NO_FAILURE) {
        d->first_failure = why;
        d->first_magic = magic;
    }
    hub_release(h);
}

static int open_hubs(Diag* d, DiagOutcome* out) {
    HubOpenFailure first;
    if (hubs_open_all(d->hubs, d->hub_count, &first) > 0)
        return 0;
    wchar_t path[HUB_PATH_UNITS];
    wcscpy(path, d->hubs[first.hub].path);
    release_all(d);
    return fail(out, kStep4Caption, kStep4Text, d->log, first.call, first.error, path,
                DOWNLOAD_SUFFIX);
}

// --- Reading ----------------------------------------------------------------------

// Whether some hub is still live (and, when reading is asked, has a read pending).
static bool any_hub(const Diag* d, bool reading) {
    for (int i = 0; i < d->hub_count; i++) {
        if (d->hubs[i].live && (!reading || d->hubs[i].read.pending))
            return true;
    }
    return false;
}

// Keeps one read outstanding on every live hub. Before its header a hub that
// cannot read is dropped; afterwards a read error is never reported, the hub
// just tries again on the next turn.
static void start_reads(Diag* d) {
    for (int i = 0; i < d->hub_count; i++) {
        Hub* h = &d->hubs[i];
        if (h->live && !hub_start_read(h) && !h->header_done)
            drop_hub(d, h, HUB_NO_HEADER, 0);
    }
}

// A failed wait names no hub, and waiting again would fail again at once:
// every hub that was waited on ends.
static void end_waited_hubs(Diag* d) {
    for (int i = 0; i < d->hub_count; i++) {
        Hub* h = &d->hubs[i];
        if (h->live && h->read.pending)
            drop_hub(d, h, HUB_NO_HEADER, 0);
    }
}

// A hub whose stream went wrong after its header stops reading, but what it
// counted until then stays in the report; before its header it is dropped.
static void data_arrived(Diag* d, Hub* h, DWORD bytes) {
    HeaderCheck header;
    switch (hub_take_in(h, bytes, NULL, NULL, NULL, &header)) {  // the report needs no endpoints
    case HUB_TAKEN:
        break;
    case HUB_HEADER_REFUSED:
        drop_hub(d, h, header.result == HEADER_BIG_ENDIAN ? HUB_BIG_ENDIAN : HUB_MISMATCH,
                 header.magic);
        break;
    case HUB_STREAM_NO_MEMORY:
    case HUB_STREAM_CORRUPT:
        if (h->header_done)
            hub_release(h);
        else
            drop_hub(d, h, HUB_NO_HEADER, 0);
        break;
    }
}

// The one read loop: headers and records alike, until the shared deadline.
static void read_hubs(Diag* d) {
    const uint32_t start = diag_ticks();
    for (;;) {
        uint32_t elapsed = diag_ticks() - start;  // unsigned: survives the wrap-around
        if (elapsed >= CAPTURE_WINDOW_MS || !any_hub(d, false))
            break;
        start_reads(d);
        if (!any_hub(d, true)) {
            diag_sleep(EMPTY_READ_PAUSE_MS);
            continue;
        }
        UsbPcapRead* reads[USBPCAP_MAX_HUBS];
        for (int i = 0; i < d->hub_count; i++)
            reads[i] = d->hubs[i].live ? &d->hubs[i].read : NULL;
        int i = usbpcap_wait(reads, d->hub_count, CAPTURE_WINDOW_MS - elapsed);
        if (i == USBPCAP_WAIT_FAILED) {
            end_waited_hubs(d);
            continue;
        }
        if (i < 0)
            continue;
        Hub* h = &d->hubs[i];
        DWORD bytes = hub_finish_read(h);
        if (bytes > 0) {
            data_arrived(d, h, bytes);
        } else if (!h->header_done) {
            drop_hub(d, h, HUB_NO_HEADER, 0);  // no retry before the header
        } else {
            diag_sleep(EMPTY_READ_PAUSE_MS);
        }
    }
    for (int i = 0; i < d->hub_count; i++) {
        Hub* h = &d->hubs[i];
        if (h->live && !h->header_done)
            drop_hub(d, h, HUB_NO_HEADER, 0);
    }
}

static void merge_tally(CaptureTally* into, const CaptureTally* t) {
    into->total_packets += t->total_packets;
    into->bulk_int_packets += t->bulk_int_packets;
    into->control_packets += t->control_packets;
    into->valid_in_intervals += t->valid_in_intervals;
    into->interval_sum_us += t->interval_sum_us;
    if (t->max_interval_us > into->max_interval_us)
        into->max_interval_us = t->max_interval_us;
    if (t->min_binterval != -1 &&
        (into->min_binterval == -1 || t->min_binterval < into->min_binterval))
        into->min_binterval = t->min_binterval;
    into->dir_byte_seen = into->dir_byte_seen || t->dir_byte_seen;
}

// --- The four steps ---------------------------------------------------------------

static int find_hubs(Diag* d, DiagOutcome* out) {
    DWORD error = usbpcap_driver_installed();
    if (error != 0)
        return fail(out, kStep1Caption, kStep1Text, error, DOWNLOAD_SUFFIX);
    log_append(d->log, L"[√] 步骤1: 找到 USBPcap 设备类\n");

    int numbers[USBPCAP_MAX_HUBS];
    int count = usbpcap_list_hubs(numbers, USBPCAP_MAX_HUBS, &error);
    if (count < 0)
        return fail(out, kStep2Caption, kStep2Text, d->log, error, DOWNLOAD_SUFFIX);
    if (count == 0)
        return fail(out, kStep2Caption, kStep2NoneText, d->log, DOWNLOAD_SUFFIX);
    log_append(d->log, L"[√] 步骤2: 枚举到 USBPcap 实例\n");

    d->hubs = (Hub*)heap_alloc(sizeof(Hub) * (size_t)count);
    if (!d->hubs) {
        wcscpy(out->text, L"内存分配失败。");
        out->caption = kCaption;
        out->type = MB_OK;
        out->result = 1;
        return 1;
    }
    memset(d->hubs, 0, sizeof(Hub) * (size_t)count);
    d->hub_count = count;
    for (int i = 0; i < count; i++) {
        Hub* h = &d->hubs[i];
        h->handle = INVALID_HANDLE_VALUE;
        usbpcap_counter_init(&h->count);
        if (!hub_compose_path(h, numbers[i])) {
            release_all(d);
            return fail(out, kStep3Caption, kStep3Text, d->log,
                        (unsigned long)ERROR_BUFFER_OVERFLOW, DOWNLOAD_SUFFIX);
        }
    }
    log_append(d->log, L"[√] 步骤3: 获取设备路径\n");
    return 0;
}

static int header_failure(Diag* d, DiagOutcome* out) {
    HubFailure why = d->first_failure;
    uint32_t magic = d->first_magic;
    release_all(d);
    if (why == HUB_MISMATCH)
        return fail(out, kMismatchCaption, kMismatchText, d->log, magic, DOWNLOAD_SUFFIX);
    if (why == HUB_BIG_ENDIAN)
        return fail(out, kMismatchCaption, kBigEndianText, d->log, magic & 0xFF,
                    (magic >> 8) & 0xFF, (magic >> 16) & 0xFF, magic >> 24, DOWNLOAD_SUFFIX);
    return fail(out, kReadCaption, kNoHeaderText, d->log);
}

void usbpcap_diag_run(DiagOutcome* out) {
    static Diag d;
    memset(&d, 0, sizeof d);
    memset(out, 0, sizeof *out);

    if (find_hubs(&d, out) != 0 || open_hubs(&d, out) != 0)
        return;
    log_append(d.log, L"[√] 步骤4: 打开 USBPcap 设备\n\n");

    read_hubs(&d);
    // Every hub that delivered its header counts, also one that stopped later.
    bool started = false;
    CaptureTally total;
    capture_tally_init(&total);
    for (int i = 0; i < d.hub_count; i++) {
        if (d.hubs[i].header_done) {
            started = true;
            merge_tally(&total, &d.hubs[i].count.tally);
        }
    }
    if (!started) {
        header_failure(&d, out);
        return;
    }
    release_all(&d);
    format_capture_report(&total, out->text);
    out->caption = kResultCaption;
    out->type = MB_ICONINFORMATION;
    out->result = 0;
}

int RunUsbPcapDiag(HWND parent) {
    static DiagOutcome outcome;
    // The reader thread stamps reports meanwhile: nothing waits for this one.
    usbpcap_diag_run(&outcome);
    message_box(parent, outcome.text, outcome.caption, outcome.type);
    return outcome.result;
}
