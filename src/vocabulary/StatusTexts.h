// The texts the loaders put on the status line, as GBK bytes. Each is spelled out in a
// comment and checked against that spelling by the tests.
#pragma once

// "读取词汇..." (technical load begins; either load, once it has waited for another copy)
inline constexpr char kszLoading[] = "\xB6\xC1\xC8\xA1\xB4\xCA\xBB\xE3\x2E\x2E\x2E";
// "词汇读取完成!" (technical load ended; either load, once it has waited for another copy)
inline constexpr char kszLoaded[] = "\xB4\xCA\xBB\xE3\xB6\xC1\xC8\xA1\xCD\xEA\xB3\xC9\x21";
// "文件0.voca不存在!" (general file or its plain file cannot be opened)
inline constexpr char kszGeneralMissing[] = "\xCE\xC4\xBC\xFE\x30\x2E\x76\x6F\x63\x61\xB2\xBB\xB4\xE6\xD4\xDA\x21";
// "词汇文件不存在!" (technical file or its plain file cannot be opened)
inline constexpr char kszTechnicalMissing[] = "\xB4\xCA\xBB\xE3\xCE\xC4\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA\x21";
// "文件0.voca读取失败!" (general load failed after its files were opened)
inline constexpr char kszGeneralFailed[] = "\xCE\xC4\xBC\xFE\x30\x2E\x76\x6F\x63\x61\xB6\xC1\xC8\xA1\xCA\xA7\xB0\xDC\x21";
// "词汇读取失败!" (technical load failed after its files were opened)
inline constexpr char kszTechnicalFailed[] = "\xB4\xCA\xBB\xE3\xB6\xC1\xC8\xA1\xCA\xA7\xB0\xDC\x21";
// "文件0.voca词条过多,只读取了前面的部分!" (more general entries than slots)
inline constexpr char kszGeneralTruncated[] = "\xCE\xC4\xBC\xFE\x30\x2E\x76\x6F\x63\x61\xB4\xCA\xCC\xF5\xB9\xFD\xB6\xE0\x2C\xD6\xBB\xB6\xC1\xC8\xA1\xC1\xCB\xC7\xB0\xC3\xE6\xB5\xC4\xB2\xBF\xB7\xD6\x21";
// "词汇文件词条过多,只读取了前面的部分!" (more technical entries than slots)
inline constexpr char kszTechnicalTruncated[] = "\xB4\xCA\xBB\xE3\xCE\xC4\xBC\xFE\xB4\xCA\xCC\xF5\xB9\xFD\xB6\xE0\x2C\xD6\xBB\xB6\xC1\xC8\xA1\xC1\xCB\xC7\xB0\xC3\xE6\xB5\xC4\xB2\xBF\xB7\xD6\x21";
// "等待另一个程序读取词汇..." (another copy of the program holds the plain file; waiting)
inline constexpr char kszWaitingForOtherCopy[] = "\xB5\xC8\xB4\xFD\xC1\xED\xD2\xBB\xB8\xF6\xB3\xCC\xD0\xF2\xB6\xC1\xC8\xA1\xB4\xCA\xBB\xE3\x2E\x2E\x2E";
