// log_reader.h - reading the library's log back in tests: raw bytes, and the text
// converted from Shift-JIS to UTF-8 with iconv directly (not through the library),
// split into lines at CR LF.
#ifndef VORLANE_TESTS_LOG_READER_H
#define VORLANE_TESTS_LOG_READER_H

#include <errno.h>
#include <iconv.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace logfile {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Shift-JIS to UTF-8 with the C library's CP932 table; an unconvertible byte
// becomes '#' (and clears *clean when given).
inline std::string SjisToUtf8(const std::string& text, bool* clean = nullptr) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    std::string out(text.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(text.data());
    size_t left = text.size(), room = out.size();
    char* dst = out.data();
    while (left > 0 && iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1) &&
           errno != E2BIG) {
        if (clean) *clean = false;
        *dst++ = '#';
        --room;
        ++src;
        --left;
    }
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

// The log as UTF-8 lines; every line must end in CR LF (a line without it is
// returned with the marker "<no CRLF>" appended so that comparisons fail).
inline std::vector<std::string> Lines(const std::string& path) {
    std::istringstream text(SjisToUtf8(ReadBytes(path)));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        const bool crlf = !text.eof() && !line.empty() && line.back() == '\r';
        lines.push_back(crlf ? line.substr(0, line.size() - 1) : line + "<no CRLF>");
    }
    return lines;
}

// The line without its "<digits>:" time stamp ("<bad stamp>" when it has none).
inline std::string WithoutStamp(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i == 0 || i >= line.size() || line[i] != ':') return "<bad stamp>" + line;
    return line.substr(i + 1);
}

}  // namespace logfile

#endif
