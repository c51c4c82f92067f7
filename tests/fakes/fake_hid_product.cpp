// HID product strings answered from a small table a test fills.
#include "tests/fakes/fake_hid_product.h"

#include <wchar.h>

#include "platform/hid_product.h"

namespace {
struct FakeProduct {
    const wchar_t* path;
    const wchar_t* product;
};
FakeProduct s_products[FAKE_HID_PRODUCTS];
}  // namespace

int g_fake_hid_product_reads;

void fake_hid_product_reset(void) {
    for (FakeProduct& p : s_products)
        p = FakeProduct{};
    g_fake_hid_product_reads = 0;
}

void fake_hid_product_set(const wchar_t* path, const wchar_t* product) {
    for (FakeProduct& p : s_products) {
        if (!p.path || wcscmp(p.path, path) == 0) {
            p = FakeProduct{path, product};
            return;
        }
    }
}

bool hid_product_string(const wchar_t* device_path, wchar_t* out, size_t units) {
    g_fake_hid_product_reads++;
    out[0] = 0;
    for (const FakeProduct& p : s_products) {
        if (p.path && wcscmp(p.path, device_path) == 0) {
            wcsncpy(out, p.product, units - 1);
            out[units - 1] = 0;
            return out[0] != 0;
        }
    }
    return false;
}
