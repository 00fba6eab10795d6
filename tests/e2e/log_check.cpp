// log_check - checks a Log.txt written by the library: Shift-JIS text, every line
// "<milliseconds>:<tabs>text" ended by CR LF, the start-up and window-close lines,
// and an allocation dump that lists nothing.
// Usage: e2e_log_check LOGFILE  (exit 0 when the log is right, 1 with a reason)
#include <errno.h>
#include <iconv.h>
#include <stdio.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& why) {
    fprintf(stderr, "log_check: %s\n", why.c_str());
    return 1;
}

// Strict CP932 -> UTF-8; false when any byte sequence is not Shift-JIS.
bool Decode(const std::string& sjis, std::string* utf8) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> out(sjis.size() * 4 + 16);
    char* in = const_cast<char*>(sjis.data());
    size_t inLeft = sjis.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || inLeft != 0) return false;
    utf8->assign(out.data(), outPtr);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: e2e_log_check LOGFILE");
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) return Fail(std::string("cannot open ") + argv[1]);
    std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (raw.empty()) return Fail("the log is empty");
    std::string text;
    if (!Decode(raw, &text)) return Fail("the log is not Shift-JIS (CP932)");

    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) return Fail("the last line has no CR LF");
        std::string line = text.substr(pos, end - pos);
        if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos)
            return Fail("a bare line feed or carriage return in: " + line);
        size_t digits = 0;
        while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
        if (digits == 0 || digits >= line.size() || line[digits] != ':')
            return Fail("line without the time stamp: " + line);
        lines.push_back(line.substr(digits + 1));
        pos = end + 2;
    }

    auto has = [&](const std::string& want) {
        for (const std::string& l : lines) {
            size_t tabs = l.find_first_not_of('\t');
            if (tabs != std::string::npos && l.compare(tabs, std::string::npos, want) == 0)
                return true;
        }
        return false;
    };
    const char* required[] = {
        "システムの情報を出力します",
        "ＣＯＭの初期化... 成功しました",
        "ウインドウクラスを登録します... 登録に成功しました",
        "ウインドウモード起動用のウインドウを作成します",
        "グラフィック管理系の初期化は正常に終了しました",
        "ウインドウを閉じようとしています",
        "ウインドウが破棄されようとしています",
        "ソフトを終了する準備が整いました",
        "ＣＯＭを終了... 完了",
        "Alloc memory dump",
        "Total size:0(0.000kb)  Alloc num:0",
    };
    for (const char* want : required)
        if (!has(want)) return Fail(std::string("missing line: ") + want);
    // Another copy (another test) may be running: the game allows a second one.
    if (!has("ソフトの二重起動検査... 二重起動はされていませんでした") &&
        !has("ソフトの二重起動検査... 二重起動されていますが続行します"))
        return Fail("missing the double-start line");
    printf("log_check: %zu lines, all well formed\n", lines.size());
    return 0;
}
