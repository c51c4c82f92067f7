// Scripted HID product strings: the devices a test names answer with the
// string it gives; every other device tells none.
#pragma once

enum { FAKE_HID_PRODUCTS = 8 };

// Forgets every product string and the count of reads.
void fake_hid_product_reset(void);
// The device at path (as Raw Input names it) answers with product.
void fake_hid_product_set(const wchar_t* path, const wchar_t* product);
// How many times the program asked for a product string.
extern int g_fake_hid_product_reads;
