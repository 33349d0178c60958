#include "state/old_para.h"

#include <cstring>

namespace {

template <size_t N>
void CopyText(char (&field)[N], const unsigned char* src)
{
    std::memcpy(field, src, N);
    field[N - 1] = '\0';
}

int32_t Int(const unsigned char* block, size_t off)
{
    int32_t v;
    std::memcpy(&v, block + off, sizeof v);
    return v;
}

float Real(const unsigned char* block, size_t off)
{
    float v;
    std::memcpy(&v, block + off, sizeof v);
    return v;
}

}  // namespace

void MapOldParameter(const unsigned char* b, Para& r)
{
    r.phases = 1;
    r.analyser = 0;
    r.if_gpib = Int(b, 0);
    r.baudrate = Int(b, 4);
    r.com_port = Int(b, 8);
    for (int32_t& a : r.gpib_address) a = Int(b, 12);
    r.fl_periods = Int(b, 32);
    r.fl_minutes = Int(b, 40);
    r.fl_seconds = Int(b, 44);
    r.sys_code = Int(b, 48);
    r.h_hours = Int(b, 52);
    r.h_minutes = Int(b, 56);
    r.h_seconds = Int(b, 60);
    r.h_standard = Int(b, 64);
    r.h_class = Int(b, 68);
    r.smoothing = Int(b, 72);
    for (int i = 0; i < 7; ++i) CopyText(r.comment[i], b + 76 + 256 * i);
    CopyText(r.log_file, b + 1868);
    r.test_kind = Int(b, 2124);
    CopyText(r.printer_port, b + 2132);
    CopyText(r.serial_no[0], b + 2137);
    CopyText(r.revision[0], b + 2146);
    CopyText(r.sw_version, b + 2153);
    for (int p = 0; p < 3; ++p) {
        r.i_range[p] = Real(b, 2160);
        r.u_range[p] = Real(b, 2164);
        r.i_scale[p] = Real(b, 2168);
        r.u_scale[p] = Real(b, 2172);
    }
    std::memset(r.test_data, 0, sizeof r.test_data);
}
