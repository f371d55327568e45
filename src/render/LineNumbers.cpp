#include "render/LineNumbers.h"

namespace qv {

uint32_t FormatLineNumber(uint32_t value, NumberText& out, uint32_t base, uint32_t minDigits, uint32_t pad) {
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (base < 2 || base > 36) base = kLineNumberBase;
    if (minDigits > kMaxNumberDigits) minDigits = kMaxNumberDigits;

    // Least significant digit first, then turned round.
    char reversed[kMaxNumberDigits];
    uint32_t n = 0;
    for (; value != 0; value /= base) reversed[n++] = kDigits[value % base];

    uint32_t length = 0;
    if (pad != 0)
        while (length + n < minDigits) out[length++] = '0';
    while (n != 0) out[length++] = reversed[--n];
    out[length] = '\0';
    return length;
}

uint32_t WidestNumberLength(uint32_t lineCount, uint32_t pad) {
    NumberText text;
    return FormatLineNumber(lineCount, text, kLineNumberBase, kLineNumberPadDigits, pad);
}

}  // namespace qv
