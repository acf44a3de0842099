#include <gtest/gtest.h>

#include <iconv.h>
#include <string>

#include "search/SearchTexts.h"
#include "vocabulary/StatusTexts.h"

namespace
{
// Converts GBK bytes to UTF-8 with the C library's converter; fails on any bad byte.
std::string GbkToUtf8(const std::string& gbk)
{
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "<no GBK converter>";
    std::string out(gbk.size() * 4, '\0');
    char* pIn = const_cast<char*>(gbk.data());
    char* pOut = out.data();
    std::size_t nIn = gbk.size(), nOut = out.size();
    const std::size_t rc = iconv(cd, &pIn, &nIn, &pOut, &nOut);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        return "<invalid GBK>";
    out.resize(out.size() - nOut);
    return out;
}
}  // namespace

TEST(CoreTexts, AreTheChineseTextsInGbk)
{
    struct Case { const char* szGbk; const char* szUtf8; };
    const Case cases[] = {
        {kszTechnicalLoading, "读取词汇..."},
        {kszTechnicalLoaded, "词汇读取完成!"},
        {kszGeneralMissing, "文件0.voca不存在!"},
        {kszTechnicalMissing, "词汇文件不存在!"},
        {kszGeneralFailed, "文件0.voca读取失败!"},
        {kszTechnicalFailed, "词汇读取失败!"},
        {kszGeneralTruncated, "文件0.voca词条过多,只读取了前面的部分!"},
        {kszTechnicalTruncated, "词汇文件词条过多,只读取了前面的部分!"},
        {kszWaitingForOtherCopy, "等待另一个程序读取词汇..."},
        {kszExactTag, "<精> "},
        {kszExpandedTag, "<扩> "},
        {kszSearching, "所有词汇已经读取完毕,查找中..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbkToUtf8(c.szGbk), c.szUtf8);
}
