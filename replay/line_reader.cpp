// Reading the words and numbers of a replay file's lines, and making the
// file's text safe to print.
#include "replay/line_reader.h"

#include "replay/replay_file.h"
#include "strings/text.h"

bool LineReader::Fail(const std::string &what) {
    *error = "line " + std::to_string(number) + ": " + Printable(what);
    return false;
}

std::string LineReader::Rest() {
    while (p < end && *p == ' ') {
        ++p;
    }
    std::string rest(p, end);
    p = end;
    return rest;
}

bool LineReader::Word(const char *&start, size_t &length) {
    while (p < end && *p == ' ') {
        ++p;
    }
    start = p;
    while (p < end && *p != ' ') {
        ++p;
    }
    length = (size_t)(p - start);
    return length > 0;
}

bool ParseUnsigned(const char *s, size_t n, Uint32 max, Uint32 &value) {
    if (n == 0 || n > 10) {
        return false;
    }
    unsigned long long v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return false;
        }
        v = v * 10 + (unsigned)(s[i] - '0');
    }
    if (v > max) {
        return false;
    }
    value = (Uint32)v;
    return true;
}

bool ParseSigned(const char *s, size_t n, int &value) {
    bool negative = n > 0 && s[0] == '-';
    Uint32 magnitude = 0;
    if (!ParseUnsigned(s + (negative ? 1 : 0), n - (negative ? 1 : 0),
                       negative ? 2147483648u : 2147483647u, magnitude)) {
        return false;
    }
    value = negative ? (int)(0 - (long long)magnitude) : (int)magnitude;
    return true;
}

bool ParseHex(const char *s, size_t n, size_t digits, Uint32 &value) {
    if (n != digits) {
        return false;
    }
    Uint32 v = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = s[i];
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) {
            return false;
        }
        v = v * 16 + (Uint32)d;
    }
    value = v;
    return true;
}
