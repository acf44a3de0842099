#include "search/PinyinKeyword.h"

#include <algorithm>
#include <array>

namespace
{
// Every toneless syllable of Mandarin, ü written 'v', plus the interjections a dictionary
// spells (hm, hng, m, n, ng, r of the erhua).
constexpr std::string_view kSyllables[] = {
    "a", "ai", "an", "ang", "ao", "ba", "bai", "ban", "bang", "bao", "bei", "ben", "beng", "bi", "bian",
    "biao", "bie", "bin", "bing", "bo", "bu", "ca", "cai", "can", "cang", "cao", "ce", "cen", "ceng",
    "cha", "chai", "chan", "chang", "chao", "che", "chen", "cheng", "chi", "chong", "chou", "chu",
    "chua", "chuai", "chuan", "chuang", "chui", "chun", "chuo", "ci", "cong", "cou", "cu", "cuan",
    "cui", "cun", "cuo", "da", "dai", "dan", "dang", "dao", "de", "dei", "den", "deng", "di", "dia",
    "dian", "diao", "die", "ding", "diu", "dong", "dou", "du", "duan", "dui", "dun", "duo", "e", "ei",
    "en", "eng", "er", "fa", "fan", "fang", "fei", "fen", "feng", "fiao", "fo", "fou", "fu", "ga",
    "gai", "gan", "gang", "gao", "ge", "gei", "gen", "geng", "gong", "gou", "gu", "gua", "guai",
    "guan", "guang", "gui", "gun", "guo", "ha", "hai", "han", "hang", "hao", "he", "hei", "hen",
    "heng", "hm", "hng", "hong", "hou", "hu", "hua", "huai", "huan", "huang", "hui", "hun", "huo",
    "ji", "jia", "jian", "jiang", "jiao", "jie", "jin", "jing", "jiong", "jiu", "ju", "juan", "jue",
    "jun", "ka", "kai", "kan", "kang", "kao", "ke", "kei", "ken", "keng", "kong", "kou", "ku", "kua",
    "kuai", "kuan", "kuang", "kui", "kun", "kuo", "la", "lai", "lan", "lang", "lao", "le", "lei",
    "leng", "li", "lia", "lian", "liang", "liao", "lie", "lin", "ling", "liu", "lo", "long", "lou",
    "lu", "luan", "lun", "luo", "lv", "lve", "m", "ma", "mai", "man", "mang", "mao", "me", "mei",
    "men", "meng", "mi", "mian", "miao", "mie", "min", "ming", "miu", "mo", "mou", "mu", "n", "na",
    "nai", "nan", "nang", "nao", "ne", "nei", "nen", "neng", "ng", "ni", "nian", "niang", "niao",
    "nie", "nin", "ning", "niu", "nong", "nou", "nu", "nuan", "nuo", "nv", "nve", "o", "ou", "pa",
    "pai", "pan", "pang", "pao", "pei", "pen", "peng", "pi", "pian", "piao", "pie", "pin", "ping",
    "po", "pou", "pu", "qi", "qia", "qian", "qiang", "qiao", "qie", "qin", "qing", "qiong", "qiu",
    "qu", "quan", "que", "qun", "r", "ran", "rang", "rao", "re", "ren", "reng", "ri", "rong", "rou",
    "ru", "rua", "ruan", "rui", "run", "ruo", "sa", "sai", "san", "sang", "sao", "se", "sen", "seng",
    "sha", "shai", "shan", "shang", "shao", "she", "shei", "shen", "sheng", "shi", "shou", "shu",
    "shua", "shuai", "shuan", "shuang", "shui", "shun", "shuo", "si", "song", "sou", "su", "suan",
    "sui", "sun", "suo", "ta", "tai", "tan", "tang", "tao", "te", "teng", "ti", "tian", "tiao", "tie",
    "ting", "tong", "tou", "tu", "tuan", "tui", "tun", "tuo", "wa", "wai", "wan", "wang", "wei",
    "wen", "weng", "wo", "wu", "xi", "xia", "xian", "xiang", "xiao", "xie", "xin", "xing", "xiong",
    "xiu", "xu", "xuan", "xue", "xun", "ya", "yan", "yang", "yao", "ye", "yi", "yin", "ying", "yo",
    "yong", "you", "yu", "yuan", "yue", "yun", "za", "zai", "zan", "zang", "zao", "ze", "zei", "zen",
    "zeng", "zha", "zhai", "zhan", "zhang", "zhao", "zhe", "zhei", "zhen", "zheng", "zhi", "zhong",
    "zhou", "zhu", "zhua", "zhuai", "zhuan", "zhuang", "zhui", "zhun", "zhuo", "zi", "zong", "zou",
    "zu", "zuan", "zui", "zun", "zuo"};
constexpr std::size_t kLongestSyllable = 6;

bool IsSyllable(std::string_view letters)
{
    return std::binary_search(std::begin(kSyllables), std::end(kSyllables), letters);
}

// GBK ü (A8 B9).
constexpr std::string_view kUmlautU = "\xA8\xB9";
}  // namespace

bool SpellsSyllables(std::string_view letters)
{
    if (letters.empty())
        return false;
    // reachable[i]: the first i letters are whole syllables.
    std::vector<bool> reachable(letters.size() + 1);
    reachable[0] = true;
    for (std::size_t i = 0; i < letters.size(); ++i)
        if (reachable[i])
            for (std::size_t n = 1; n <= kLongestSyllable && i + n <= letters.size(); ++n)
                if (IsSyllable(letters.substr(i, n)))
                    reachable[i + n] = true;
    return reachable.back();
}

std::optional<PinyinKeyword> ParsePinyinKeyword(std::string_view typed)
{
    PinyinKeyword groups;
    PinyinGroup group;
    auto close = [&](int nTone) {
        if (group.letters.empty())
            return nTone == 0;  // a blank closes nothing; a tone must follow letters
        if (!SpellsSyllables(group.letters))
            return false;
        group.nTone = nTone;
        groups.push_back(std::move(group));
        group = {};
        return true;
    };
    for (std::size_t i = 0; i < typed.size(); ++i)
    {
        const char c = typed[i];
        if (c >= 'A' && c <= 'Z')
            group.letters += static_cast<char>(c - 'A' + 'a');
        else if (c == 'u' && i + 1 < typed.size() && typed[i + 1] == ':')
            group.letters += 'v', ++i;
        else if (c >= 'a' && c <= 'z')
            group.letters += c;
        else if (typed.substr(i).starts_with(kUmlautU))
            group.letters += 'v', ++i;
        else if (!(c == ' ' ? close(0) : c >= '1' && c <= '5' && close(c - '0')))
            return std::nullopt;
    }
    if (!close(0) || groups.empty())
        return std::nullopt;
    return groups;
}
