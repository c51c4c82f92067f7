// The usbmon rule's rare case: control transfers, and the pairing of a
// descriptor request with its reply.
#include "core/captures/usbmon_count.h"

#include <string.h>

void usbmon_counter_init(UsbmonCounter* m) { memset(m, 0, sizeof *m); }

// A device-to-host GET_DESCRIPTOR submission is kept until its completion.
static void note_request(UsbmonCounter* m, const UsbmonHeader* h) {
    const uint8_t* setup = h->setup;
    if (!h->has_setup || !(setup[0] & USB_ENDPOINT_IN) || setup[1] != USB_REQUEST_GET_DESCRIPTOR)
        return;
    UsbmonRequest* r = &m->requests[m->next_request++ % USBMON_PENDING_REQUESTS];
    r->id = h->id;
    r->bus = h->bus;
    r->device = h->device;
    r->waiting = true;
}

// The request this completion answers, taken off the list; null for none.
static UsbmonRequest* take_request(UsbmonCounter* m, const UsbmonHeader* h) {
    for (int i = 0; i < USBMON_PENDING_REQUESTS; i++) {
        UsbmonRequest* r = &m->requests[i];
        if (r->waiting && r->id == h->id && r->bus == h->bus && r->device == h->device) {
            r->waiting = false;
            return r;
        }
    }
    return NULL;
}

void usbmon_count_control(UsbPcapCounter* c, UsbmonCounter* m, UsbEndpointTable* t,
                          const UsbmonHeader* h) {
    tally_control(&c->tally, h->payload, h->payload_len);
    if (h->type == USBMON_SUBMISSION) {
        note_request(m, h);
        return;
    }
    if (h->type != USBMON_COMPLETION || !take_request(m, h))
        return;
    if (h->status == 0 && t)
        usb_note_descriptor(t, h->bus, h->device, h->payload, h->payload_len);
}
