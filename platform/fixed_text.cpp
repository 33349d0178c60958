#include "platform/fixed_text.h"

#include <cstring>

bool CopyFixed(char* field, size_t field_size, const char* text)
{
    if (field_size == 0) return false;
    if (!text) text = "";
    size_t n = std::strlen(text);
    bool cut = n >= field_size;
    if (cut) n = field_size - 1;
    std::memcpy(field, text, n);
    field[n] = '\0';
    return !cut;
}

size_t FixedLen(const char* field, size_t field_size)
{
    const void* z = std::memchr(field, 0, field_size);
    return z ? size_t(static_cast<const char*>(z) - field) : field_size;
}

std::string FixedText(const char* field, size_t field_size) { return std::string(field, FixedLen(field, field_size)); }
