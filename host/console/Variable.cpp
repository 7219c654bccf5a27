// Value conversions of console variables: parsing, clamping, shortest formatting, cells.
#include "console/Variable.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace host {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Cells never receive NaN or infinity: NaN reads as 0 and the value stays inside the
// variable's range (a text that is no number at all would otherwise give 0 below a minimum).
float cellNumber(const VariableDef& def, const std::string& value) {
    float x = toFloat(value);
    if (std::isnan(x)) x = 0;
    if (def.hasMin && x < def.min) x = def.min;
    else if (def.hasMax && x > def.max) x = def.max;
    if (std::isinf(x)) x = x > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
    return x;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<float> parseWholeFloat(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const float x = std::strtof(begin, &end);
    if (end == begin) return std::nullopt;
    for (const char* p = end; *p; ++p)
        if (!isBlank(*p)) return std::nullopt;
    return x;
}

std::string formatFloat(float value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

float toFloat(const std::string& text) { return std::strtof(text.c_str(), nullptr); }

int toInt(const std::string& text) {
    const float x = toFloat(text);
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0f) return std::numeric_limits<int>::max();
    if (x <= -2147483648.0f) return std::numeric_limits<int>::min();
    return static_cast<int>(x);
}

bool toBool(const std::string& text) { return toFloat(text) != 0; }

LinearColor toColor(const std::string& text) {
    LinearColor c(0, 0, 0, 255);
    std::string t = text;
    const auto first = t.find_first_not_of(" \t");
    if (first != std::string::npos && t[first] == '#') {
        const std::string hex = t.substr(first + 1, t.find_last_not_of(" \t") - first);
        if (hex.size() == 6 || hex.size() == 8) {
            float parts[4] = {0, 0, 0, 255};
            for (std::size_t i = 0; i < hex.size() / 2; ++i) {
                const int hi = hexDigit(hex[2 * i]), lo = hexDigit(hex[2 * i + 1]);
                if (hi < 0 || lo < 0) return LinearColor(0, 0, 0, 255);
                parts[i] = static_cast<float>(hi * 16 + lo);
            }
            return LinearColor(parts[0], parts[1], parts[2], parts[3]);
        }
        return c;
    }
    for (char& ch : t)
        if (ch == ',' || ch == '(' || ch == ')') ch = ' ';
    std::istringstream in(t);
    float* fields[4] = {&c.R, &c.G, &c.B, &c.A};
    for (float* f : fields) {
        std::string word;
        if (!(in >> word)) break;
        const float x = toFloat(word);
        *f = std::isfinite(x) ? x : 0;
    }
    return c;
}

std::string formatColor(const LinearColor& color) {
    static const char* digits = "0123456789ABCDEF";
    std::string s = "#";
    for (float f : {color.R, color.G, color.B, color.A}) {
        if (std::isnan(f)) f = 0;
        const long v = std::lround(f < 0 ? 0.0f : (f > 255 ? 255.0f : f));
        s += digits[v / 16];
        s += digits[v % 16];
    }
    return s;
}

std::optional<std::string> storedValue(const VariableDef& def, const std::string& text) {
    if (!def.hasMin && !def.hasMax) return text;
    const auto x = parseWholeFloat(text);
    if (!x) return text;
    if (std::isnan(*x)) return std::nullopt;
    if (def.hasMin && *x < def.min) return formatFloat(def.min);
    if (def.hasMax && *x > def.max) return formatFloat(def.max);
    if (std::isinf(*x)) return std::nullopt;
    return text;
}

void writeCell(const Cell& cell, const VariableDef& def, const std::string& value) {
    struct Writer {
        const VariableDef& def;
        const std::string& value;
        void operator()(const std::shared_ptr<int>& p) const {
            if (!p) return;
            const float x = cellNumber(def, value);
            *p = x >= 2147483647.0f ? std::numeric_limits<int>::max()
                 : x <= -2147483648.0f ? std::numeric_limits<int>::min()
                                       : static_cast<int>(x);
        }
        void operator()(const std::shared_ptr<float>& p) const {
            if (p) *p = cellNumber(def, value);
        }
        void operator()(const std::shared_ptr<std::string>& p) const {
            if (p) *p = value;
        }
        void operator()(const std::shared_ptr<bool>& p) const {
            if (p) *p = cellNumber(def, value) != 0;
        }
        void operator()(const std::shared_ptr<LinearColor>& p) const {
            if (p) *p = toColor(value);
        }
    };
    std::visit(Writer{def, value}, cell);
}

}  // namespace host
