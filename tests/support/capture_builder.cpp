// Builders of synthetic captures; layouts follow the published pcap, pcapng,
// USBPcap packet header and usbmon header formats.
#include "tests/support/capture_builder.h"

#include <stdio.h>

#include <utility>

void put16(Bytes& b, size_t at, uint16_t v, bool big) {
    if (b.size() < at + 2)
        b.resize(at + 2);
    b[at + (big ? 1 : 0)] = (uint8_t)v;
    b[at + (big ? 0 : 1)] = (uint8_t)(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v, bool big) {
    if (b.size() < at + 4)
        b.resize(at + 4);
    for (int i = 0; i < 4; i++)
        b[at + (big ? 3 - i : i)] = (uint8_t)(v >> (8 * i));
}

void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

Bytes usb_packet(const UsbPacket& p) {
    size_t n = p.header_bytes ? p.header_bytes : p.header_len;
    Bytes b(27, 0);
    put16(b, 0, p.header_len);
    put32(b, 2, 0x12345678);  // irpId, low half
    put16(b, 14, p.function);
    b[16] = p.info;
    put16(b, 17, p.bus);
    put16(b, 19, p.device);
    b[21] = p.endpoint;
    b[22] = p.transfer;
    put32(b, 23, (uint32_t)p.payload.size());
    b.resize(n, 0);
    append(b, p.payload);
    return b;
}

Bytes pcap_global_header(uint32_t magic, uint32_t link_type, bool big) {
    Bytes b;
    put32(b, 0, magic, big);
    put16(b, 4, 2, big);
    put16(b, 6, 4, big);
    put32(b, 16, 65535, big);
    put32(b, 20, link_type, big);
    return b;
}

Bytes pcap_record(uint32_t sec, uint32_t frac, const Bytes& packet, bool big) {
    Bytes b;
    put32(b, 0, sec, big);
    put32(b, 4, frac, big);
    put32(b, 8, (uint32_t)packet.size(), big);
    put32(b, 12, (uint32_t)packet.size(), big);
    append(b, packet);
    return b;
}

static void swap_at(Bytes& b, size_t at, size_t width) {
    for (size_t i = 0; i < width / 2; i++)
        std::swap(b[at + i], b[at + width - 1 - i]);
}

Bytes pcap_big_endian_twin(const Bytes& little) {
    Bytes b = little;
    const size_t fields[][2] = {{0, 4}, {4, 2}, {6, 2}, {8, 4}, {12, 4}, {16, 4}, {20, 4}};
    for (const auto& f : fields)
        swap_at(b, f[0], f[1]);
    for (size_t at = 24; at + 16 <= b.size();) {
        const size_t incl = little[at + 8] | little[at + 9] << 8 | little[at + 10] << 16 |
                            (size_t)little[at + 11] << 24;
        for (size_t k = 0; k < 16; k += 4)
            swap_at(b, at + k, 4);
        at += 16 + incl;
    }
    return b;
}

std::vector<Bytes> mouse_report_records(uint32_t count, int64_t first_us, int64_t step_us,
                                        uint16_t bus) {
    UsbPacket report;
    report.payload = {0, 1, 0, 0};
    report.bus = bus;
    const Bytes packet = usb_packet(report);
    std::vector<Bytes> records;
    for (uint32_t i = 0; i < count; i++) {
        int64_t t = first_us + step_us * i;
        records.push_back(pcap_record((uint32_t)(t / 1000000), (uint32_t)(t % 1000000), packet));
    }
    return records;
}

Bytes config_descriptor(const std::vector<EndpointDesc>& endpoints) {
    Bytes b = {9, 2, 0, 0, 1, 1, 0, 0xA0, 50};        // configuration
    append(b, Bytes{9, 4, 0, 0, (uint8_t)endpoints.size(), 3, 1, 2, 0});  // interface
    for (const EndpointDesc& e : endpoints)
        append(b, Bytes{7, 5, e.address, e.attributes, (uint8_t)e.max_packet,
                        (uint8_t)(e.max_packet >> 8), e.binterval});
    put16(b, 2, (uint16_t)b.size());
    return b;
}

Bytes device_descriptor(uint16_t bcd_usb, uint8_t max_packet0, uint16_t vid, uint16_t pid) {
    Bytes b = {18, 1, 0, 0, 0, 0, 0, max_packet0};
    put16(b, 2, bcd_usb);
    put16(b, 8, vid);
    put16(b, 10, pid);
    b.resize(18, 0);
    return b;
}

Bytes qualifier_descriptor() { return Bytes{10, 6, 0, 2, 0, 0, 0, 64, 1, 0}; }

Bytes descriptor_reply(uint16_t device, const Bytes& descriptor) {
    UsbPacket p;
    p.header_len = 28;
    p.function = 8;
    p.transfer = 2;
    p.device = device;
    p.endpoint = 0x80;
    p.payload = descriptor;
    return usb_packet(p);
}

static Bytes pcapng_block(uint32_t type, const Bytes& body, bool big) {
    Bytes b;
    size_t padded = (body.size() + 3) & ~(size_t)3;
    uint32_t length = (uint32_t)(12 + padded);
    put32(b, 0, type, big);
    put32(b, 4, length, big);
    append(b, body);
    b.resize(8 + padded, 0);
    put32(b, 8 + padded, length, big);
    return b;
}

Bytes pcapng_section(bool big) {
    Bytes body;
    put32(body, 0, 0x1A2B3C4D, big);
    put16(body, 4, 1, big);
    put16(body, 6, 0, big);
    put32(body, 8, 0xFFFFFFFF, big);  // section length unknown
    put32(body, 12, 0xFFFFFFFF, big);
    return pcapng_block(0x0A0D0D0A, body, big);
}

Bytes pcapng_interface(uint16_t link_type, int tsresol, bool big) {
    Bytes body;
    put16(body, 0, link_type, big);
    put32(body, 4, 65535, big);
    if (tsresol >= 0) {
        put16(body, 8, 9, big);
        put16(body, 10, 1, big);
        body.push_back((uint8_t)tsresol);
        body.resize(16, 0);
        put16(body, 16, 0, big);  // end of options
        put16(body, 18, 0, big);
    }
    return pcapng_block(1, body, big);
}

Bytes pcapng_packet(uint32_t interface_id, uint64_t ts, const Bytes& packet, bool big) {
    Bytes body;
    put32(body, 0, interface_id, big);
    put32(body, 4, (uint32_t)(ts >> 32), big);
    put32(body, 8, (uint32_t)ts, big);
    put32(body, 12, (uint32_t)packet.size(), big);
    put32(body, 16, (uint32_t)packet.size(), big);
    append(body, packet);
    return pcapng_block(6, body, big);
}

bool write_bench_capture(const char* path, uint64_t megabytes) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    UsbPacket report;
    report.payload = Bytes(8, 0);
    const Bytes packet = usb_packet(report);
    Bytes batch = pcap_global_header();
    const uint64_t records = megabytes * 1000000 / (16 + packet.size());
    uint64_t us = 0;
    bool ok = true;
    for (uint64_t done = 0; done < records && ok; done++) {
        us += 125;
        append(batch, pcap_record((uint32_t)(us / 1000000), (uint32_t)(us % 1000000), packet));
        if (batch.size() >= (1 << 20) || done + 1 == records) {
            ok = fwrite(batch.data(), 1, batch.size(), f) == batch.size();
            batch.clear();
        }
    }
    return fclose(f) == 0 && ok;
}

Bytes usbmon_packet(const UsbmonPacket& p, uint32_t header_bytes, bool big) {
    Bytes b(64, 0);
    put32(b, 0, big ? (uint32_t)(p.id >> 32) : (uint32_t)p.id, big);
    put32(b, 4, big ? (uint32_t)p.id : (uint32_t)(p.id >> 32), big);
    b[8] = (uint8_t)p.type;
    b[9] = p.transfer;
    b[10] = p.endpoint;
    b[11] = p.device;
    put16(b, 12, p.bus, big);
    b[14] = p.setup.empty() ? '-' : 0;
    b[15] = p.payload.empty() ? '<' : 0;
    put32(b, 16, 1424660858u, big);  // ts_sec, low half (the records' own stamps count)
    put32(b, 28, (uint32_t)p.status, big);
    put32(b, 32, (uint32_t)(p.length < 0 ? (int64_t)p.payload.size() : p.length), big);
    put32(b, 36, (uint32_t)(p.len_cap < 0 ? (int64_t)p.payload.size() : p.len_cap), big);
    for (size_t i = 0; i < p.setup.size() && i < 8; i++)
        b[40 + i] = p.setup[i];
    b.resize(header_bytes);
    append(b, p.payload);
    return b;
}

Bytes usbmon_get_descriptor(uint16_t device, uint64_t id, uint32_t header_bytes, bool big) {
    UsbmonPacket s;
    s.id = id;
    s.type = 'S';
    s.transfer = 2;
    s.endpoint = 0x80;
    s.device = (uint8_t)device;
    s.setup = {0x80, 6, 0, 2, 0, 0, 0xFF, 0};  // GET_DESCRIPTOR, configuration
    s.status = -115;                           // -EINPROGRESS, as submissions carry
    s.length = 255;
    return usbmon_packet(s, header_bytes, big);
}

Bytes usbmon_descriptor_reply(uint16_t device, uint64_t id, const Bytes& descriptor,
                              uint32_t header_bytes, bool big) {
    UsbmonPacket c;
    c.id = id;
    c.transfer = 2;
    c.endpoint = 0x80;
    c.device = (uint8_t)device;
    c.payload = descriptor;
    return usbmon_packet(c, header_bytes, big);
}

bool write_bench_usbmon_capture(const char* path, uint64_t megabytes) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    UsbmonPacket report;
    report.payload = Bytes(8, 0);
    UsbmonPacket submission = report;
    submission.type = 'S';
    submission.status = -115;
    submission.length = 8;
    submission.payload.clear();
    const Bytes s = usbmon_packet(submission), c = usbmon_packet(report);
    Bytes batch = pcap_global_header(0xA1B2C3D4, 220);
    const uint64_t reports = megabytes * 1000000 / (32 + s.size() + c.size());
    uint64_t us = 0;
    bool ok = true;
    for (uint64_t done = 0; done < reports && ok; done++) {
        append(batch, pcap_record((uint32_t)(us / 1000000), (uint32_t)(us % 1000000), s));
        us += 125;
        append(batch, pcap_record((uint32_t)(us / 1000000), (uint32_t)(us % 1000000), c));
        if (batch.size() >= (1 << 20) || done + 1 == reports) {
            ok = fwrite(batch.data(), 1, batch.size(), f) == batch.size();
            batch.clear();
        }
    }
    return fclose(f) == 0 && ok;
}
