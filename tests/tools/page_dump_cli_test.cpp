// `vobetool page dump` on a page file built byte by byte from the format's rules.
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "../script/bytes.h"

namespace vobe {
namespace {

using test::PageHeader;
using test::TBytes;

std::string RunTool(const std::string& command, int& status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    status = pclose(p);
    return out;
}

TEST(PageDumpCli, ListsAnIndependentlyWrittenPage) {
    const std::string tool = std::string(VOBE_BINARY_DIR) + "/bin/vobetool";
    if (!std::ifstream(tool).good()) GTEST_SKIP() << "vobetool is not built here";
    std::vector<std::vector<uint8_t>> rows(61, std::vector<uint8_t>(21, 0));
    rows[10][0] = 0x09; // message window: name (0) and left (3)
    rows[10][6] = 0x04; // and text (50)
    rows[11][3] = 0x04; // timer: delay (26: byte 3, bit 2)
    rows[11][4] = 0x02; // id 33 (byte 4, bit 1): onnotify
    TBytes p = PageHeader(107, 1, 61, 21, rows);
    p.i32(9);
    p.u8(3).header(0, 0, 1, 1).str("start");
    p.u8(0).header(0, 0, 1, 2).varExpr("flag");
    p.u8(10).header(1, 0, 1, 3).strExpr(SJ("窓")).intExpr(12).strExpr("hello");
    p.u8(2).header(0, 0, 1, 4);
    p.u8(0x80 | 11).header(1, 1, 0, 5).intExpr(500).strExpr("tick.vsb");
    p.u8(7).header(0, 0, 0, 6).noExpr().intExpr(250).boolExpr(true);
    p.u8(5).header(0, 0, 1, 7).str("sub.vsb").i32(3).str("res").boolExpr(true).i32(2).intExpr(1).varExpr("a");
    p.u8(27).header(0, 0, 1, 8).str(SJ("メモ"));
    p.u8(4).header(0, 0, 1, 9).str("test.vsb").i32(0).varExpr("again");
    const std::string path = std::string(VOBE_BINARY_DIR) + "/page_dump_cli_test.vsb";
    {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(p.b.data()), static_cast<std::streamsize>(p.b.size()));
    }
    int status = -1;
    const std::string out = RunTool("'" + tool + "' page dump '" + path + "'", status);
    EXPECT_EQ(status, 0);
    const std::string expected =
        "page\tpage_dump_cli_test.vsb\n"
        "version\t107\n"
        "resulttype\t1\n"
        "maskrows\t61\t21\n"
        "mask\tTComMesNew\t0 3 50\n"
        "mask\tTComTimer\t26 33\n"
        "commands\t9\n"
        "0\t0\t-c\t1\tTComLabel\tname=\"start\"\n"
        "1\t0\t-c\t2\tTComIf\tcond={ocTo ____arg var:flag}\n"
        "2\t1\t-c\t3\tTComMesNew\tname={ocTo ____arg str:\"窓\"}\tleft={ocTo ____arg int:12}"
        "\ttext={ocTo ____arg str:\"hello\"}\n"
        "3\t0\t-c\t4\tTComElse\n"
        "4\t1\ts-\t5\tTComTimer\tdelay={ocTo ____arg int:500}\tonnotify={ocTo ____arg str:\"tick.vsb\"}\n"
        "5\t0\t--\t6\tTComWait\tcond={}\ttime={ocTo ____arg int:250}\tblock={ocTo ____arg bool:TRUE}\n"
        "6\t0\t-c\t7\tTComCall\tpage=\"sub.vsb\"\ttarget=3\tresult=\"res\"\tcond={ocTo ____arg bool:TRUE}"
        "\targ={ocTo ____arg int:1}\targ={ocTo ____arg var:a}\n"
        "7\t0\t-c\t8\tTComComment\ttext=\"メモ\"\n"
        "8\t0\t-c\t9\tTComJump\tpage=\"test.vsb\"\ttarget=0\tcond={ocTo ____arg var:again}\n";
    EXPECT_EQ(out, expected);

    // A damaged page: one error line, status 1.
    p.b.resize(p.b.size() - 3);
    {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(p.b.data()), static_cast<std::streamsize>(p.b.size()));
    }
    const std::string err = RunTool("'" + tool + "' page dump '" + path + "' 2>&1", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(err.find("page_dump_cli_test.vsb"), std::string::npos) << err;
    std::remove(path.c_str());
}

} // namespace
} // namespace vobe
