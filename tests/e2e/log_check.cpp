// log_check - checks a Log.txt written by the library: Shift-JIS text, every line
// "<milliseconds>:<tabs>text" ended by CR LF, the start-up and window-close lines, and
// an allocation dump that lists nothing.
// Usage: e2e_log_check LOGFILE  (exit 0 when the log is right, 1 with a reason)
#include <stdio.h>

#include <algorithm>

#include "tests/support/log_reader.h"

namespace {

int Fail(const std::string& why) {
    fprintf(stderr, "log_check: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: e2e_log_check LOGFILE");
    bool clean = true;
    logfile::SjisToUtf8(logfile::ReadBytes(argv[1]), &clean);
    if (!clean) return Fail("the log is not Shift-JIS (CP932)");
    std::vector<std::string> lines = logfile::Lines(argv[1]);
    if (lines.empty()) return Fail("the log is empty");
    for (std::string& line : lines) {
        std::string body = logfile::WithoutStamp(line);
        if (body.rfind("<bad stamp>", 0) == 0 || body.find("<no CRLF>") != std::string::npos ||
            body.find('\r') != std::string::npos)
            return Fail("a line without its stamp or CR LF: " + line);
        line = body.substr(std::min(body.size(), body.find_first_not_of('\t')));
    }
    auto has = [&](const char* want) { return std::count(lines.begin(), lines.end(), want) > 0; };
    for (const char* want : {
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
         })
        if (!has(want)) return Fail(std::string("missing line: ") + want);
    // Another copy (another test) may be running: the game allows a second one.
    if (!has("ソフトの二重起動検査... 二重起動はされていませんでした") &&
        !has("ソフトの二重起動検査... 二重起動されていますが続行します"))
        return Fail("missing the double-start line");
    printf("log_check: %zu lines, all well formed\n", lines.size());
    return 0;
}
