// Rebuilds the mouse registry from the Raw Input device list and keeps each
// mouse's VID_/PID_ identifiers from its device path and its product string.
#include "devices/mouse_registry.h"

#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include "core/heap.h"
#include "platform/hid_product.h"
#include "platform/rawinput.h"

RiDevice g_ri_devs[REGISTRY_SLOTS];
int g_nri;
std::atomic<int64_t> g_dev_last_active[REGISTRY_SLOTS];
static HANDLE s_slot_handles[REGISTRY_SLOTS];
static std::atomic<int> s_slot_count;

static void clear_activity(void) {
    for (std::atomic<int64_t>& a : g_dev_last_active)
        a.store(0, std::memory_order_relaxed);
}

// Slots from `from` on are new: their handles go out before the count.
void registry_publish_slots(int from) {
    for (int i = from; i < g_nri; i++)
        s_slot_handles[i] = g_ri_devs[i].handle;
    s_slot_count.store(g_nri, std::memory_order_release);
}

// Reports come in runs from one mouse, so the slot found last is looked at
// first. Only a hint: the published table decides, so it needs no care when
// the registry is rebuilt.
static std::atomic<int> s_slot_found{0};

int registry_slot_of(HANDLE device) {
    const int n = s_slot_count.load(std::memory_order_acquire);
    const int hint = s_slot_found.load(std::memory_order_relaxed);
    if (device && hint > 0 && hint < n && s_slot_handles[hint] == device)
        return hint;
    for (int i = 1; i < n && device; i++) {
        if (s_slot_handles[i] == device) {
            s_slot_found.store(i, std::memory_order_relaxed);
            return i;
        }
    }
    return 0;
}

// Copies at most four units following the first occurrence of key into out
// (zero-filled); out stays empty when key is absent.
static void copy_identifier(const wchar_t* device_name, const wchar_t* key,
                            wchar_t out[REGISTRY_ID_UNITS]) {
    wmemset(out, 0, REGISTRY_ID_UNITS);
    const wchar_t* at = wcsstr(device_name, key);
    if (!at)
        return;
    at += wcslen(key);
    for (int i = 0; i < REGISTRY_ID_UNITS - 1 && at[i]; i++)
        out[i] = at[i];
}

// Reads the device name into a fresh heap block; null when it can't be had.
static wchar_t* read_device_name(HANDLE device) {
    UINT units = 0;
    rawinput_get_device_info(device, RIDI_DEVICENAME, NULL, &units);
    if (units == 0)
        return NULL;
    wchar_t* name = (wchar_t*)heap_alloc((size_t)units * sizeof(wchar_t));
    if (!name)
        return NULL;
    UINT got = rawinput_get_device_info(device, RIDI_DEVICENAME, name, &units);
    if (got == 0 || got == (UINT)-1) {
        heap_free(name);
        return NULL;
    }
    name[units - 1] = 0;  // the platform terminates it; don't rely on that
    return name;
}

bool registry_device_path(int slot, wchar_t* out, size_t units) {
    if (slot <= 0 || slot >= g_nri || units == 0)
        return false;
    wchar_t* path = read_device_name(g_ri_devs[slot].handle);
    if (!path)
        return false;
    wcsncpy(out, path, units - 1);
    out[units - 1] = 0;
    heap_free(path);
    return true;
}

// The product string of the mouse at device_name, trimmed of blanks and cut
// to fit the slot, never between the two halves of a surrogate pair.
static void read_product(const wchar_t* device_name, wchar_t out[REGISTRY_PRODUCT_UNITS]) {
    wmemset(out, 0, REGISTRY_PRODUCT_UNITS);
    wchar_t product[HID_PRODUCT_UNITS];
    if (!hid_product_string(device_name, product, HID_PRODUCT_UNITS))
        return;
    const wchar_t* start = product;
    while (iswspace(*start))
        start++;
    size_t n = wcslen(start);
    if (n > REGISTRY_PRODUCT_UNITS - 1) {
        n = REGISTRY_PRODUCT_UNITS - 1;
        if (IS_HIGH_SURROGATE(start[n - 1]))
            n--;
    }
    while (n > 0 && iswspace(start[n - 1]))
        n--;
    wmemcpy(out, start, n);
}

static void add_mouse(HANDLE device) {
    wchar_t* device_name = read_device_name(device);
    if (!device_name)
        return;
    RiDevice* slot = &g_ri_devs[g_nri++];
    slot->handle = device;
    slot->gone = false;
    copy_identifier(device_name, L"VID_", slot->vid);
    copy_identifier(device_name, L"PID_", slot->pid);
    read_product(device_name, slot->product);
    heap_free(device_name);
}

// The platform's device list in a fresh heap block, with how many entries were
// filled in; null when it cannot be had or is empty.
static RAWINPUTDEVICELIST* read_device_list(UINT* listed) {
    UINT count = 0;
    if (rawinput_get_device_list(NULL, &count, sizeof(RAWINPUTDEVICELIST)) != 0 || count == 0)
        return NULL;
    RAWINPUTDEVICELIST* list =
        (RAWINPUTDEVICELIST*)heap_alloc((size_t)count * sizeof(RAWINPUTDEVICELIST));
    if (!list)
        return NULL;
    // A mouse unplugged between the two calls makes the second return fewer
    // entries than the first announced: only those are filled in.
    *listed = rawinput_get_device_list(list, &count, sizeof(RAWINPUTDEVICELIST));
    if (*listed == (UINT)-1) {
        heap_free(list);
        return NULL;
    }
    if (*listed > count)
        *listed = count;
    return list;
}

void enumerate_mice(void) {
    clear_activity();
    s_slot_count.store(0, std::memory_order_relaxed);
    g_nri = 0;
    UINT listed = 0;
    RAWINPUTDEVICELIST* list = read_device_list(&listed);
    if (!list)
        return;
    g_ri_devs[0] = RiDevice{};
    g_nri = 1;
    for (UINT i = 0; i < listed && g_nri < REGISTRY_SLOTS; i++) {
        if (list[i].dwType == RIM_TYPEMOUSE)
            add_mouse(list[i].hDevice);
    }
    heap_free(list);
    registry_publish_slots(0);
}

static int slot_of_handle(HANDLE device) {
    for (int i = 1; i < g_nri; i++) {
        if (g_ri_devs[i].handle == device)
            return i;
    }
    return 0;
}

bool rescan_mice(void) {
    if (g_nri == 0) {
        enumerate_mice();
        return g_nri != 0;
    }
    UINT listed = 0;
    RAWINPUTDEVICELIST* list = read_device_list(&listed);
    if (!list)
        return false;
    clear_activity();
    bool was_gone[REGISTRY_SLOTS];
    const int before = g_nri;
    for (int i = 1; i < g_nri; i++) {
        was_gone[i] = g_ri_devs[i].gone;
        g_ri_devs[i].gone = true;
    }
    for (UINT i = 0; i < listed; i++) {
        if (list[i].dwType != RIM_TYPEMOUSE)
            continue;
        int slot = slot_of_handle(list[i].hDevice);
        if (slot > 0)
            g_ri_devs[slot].gone = false;
        else if (g_nri < REGISTRY_SLOTS)
            add_mouse(list[i].hDevice);
    }
    heap_free(list);
    registry_publish_slots(before);
    bool changed = g_nri != before;
    for (int i = 1; i < before; i++)
        changed = changed || was_gone[i] != g_ri_devs[i].gone;
    return changed;
}

bool registry_has_gone_mice(void) {
    for (int i = 1; i < g_nri; i++) {
        if (g_ri_devs[i].gone)
            return true;
    }
    return false;
}

int registry_mice_present(void) {
    int present = 0;
    for (int i = 1; i < g_nri; i++)
        present += !g_ri_devs[i].gone;
    return present;
}
