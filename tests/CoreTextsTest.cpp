#include <gtest/gtest.h>

#include <iconv.h>

#include "search/SearchTexts.h"
#include "vocabulary/StatusTexts.h"

TEST(CoreTexts, AreTheChineseTextsInGbk)
{
    // Through the C library's converter, which refuses any bad byte.
    const iconv_t cd = iconv_open("UTF-8", "GBK");
    auto utf8 = [&](std::string gbk) {
        std::string out(gbk.size() * 4, '\0');
        char *pIn = gbk.data(), *pOut = out.data();
        std::size_t nIn = gbk.size(), nOut = out.size();
        return iconv(cd, &pIn, &nIn, &pOut, &nOut) == 0 ? out.substr(0, out.size() - nOut) : "<not GBK>";
    };
    const std::pair<const char*, const char*> texts[] = {
        {kszLoading, "读取词汇..."},
        {kszLoaded, "词汇读取完成!"},
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
    for (const auto& [szGbk, szUtf8] : texts) EXPECT_EQ(utf8(szGbk), szUtf8);
    iconv_close(cd);
}
