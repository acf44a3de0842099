// A second opinion on every traditional form of the technical vocabulary: OpenCC (npm
// opencc-js, pinned by tools/build-vocabularies; phrase-aware, simplified to Taiwan forms).
// Where it and CC-CEDICT's word-level form disagree, the reviewed list decides
// (data/glossary/forms.tsv: a row for the whole headword, or the row a derivation used);
// else a rule, character by character, where one is sound:
//   single    a headword of one character takes OpenCC's usual form (醇 stays 醇, not the
//             rare 醕; 碱 is 鹼); CC-CEDICT's other forms stand only beside a usual form;
//   name      in a name (a capitalised word in the English), the side that keeps the
//             character as it is wins: it stands for its sound (范德华 "van der Waals",
//             布雷顿 Brayton, 扎伊采夫 Zaitsev, 姜-泰勒 Jahn-Teller, 文丘里 Venturi);
//   word      one side took the character from a word of two or more characters, the other
//             converted it alone: the word wins (辐射|干燥 乾燥, where OpenCC's 射干 straddles two).
// The rest are open: listed for review, OpenCC's phrase form taken where both took words
// (CC-CEDICT's beside it), CC-CEDICT's where neither did.

const kNameRe = /(?:^|[\s(-])[A-Z][a-z]/;

// OpenCC's form of a text and, for each character, whether a phrase (not the character
// alone) gave it.
export function SecondForm(simplified, convert)
{
    const form = convert(simplified);
    const characters = [...simplified];
    const converted = [...form];
    if (converted.length !== characters.length)
        return { form, inPhrase: characters.map(() => true) };
    return { form, inPhrase: characters.map((c, i) => converted[i] !== convert(c)) };
}

// head: the simplified headword; forms: CC-CEDICT's (or the derivation's) traditional forms,
// first the word-level one ([] where it is the headword itself); inWord: per character, as
// Derive gives it (all true for a CC-CEDICT headword); second: SecondForm's; name: whether
// the English names a person; reviewed: the reviewed list's form for the headword, if any;
// reviewedAt: per character whether a reviewed row gave the derivation's form.
// Returns { forms, rules: [...] per differing character (or ['reviewed'] / ['single']),
// open, disagree }.
export function SettleForms({ head, forms, inWord, second, name = false, reviewed, reviewedAt = [] })
{
    const ours = forms[0] || head;
    const theirs = second.form;
    const Beside = (first, others) => [first, ...others.filter(f => f !== first)].filter(f => f !== head);
    if (ours === theirs)
        return { forms, rules: [], open: false, disagree: false };
    if (reviewed !== undefined)
        return { forms: Beside(reviewed || head, []), rules: ['reviewed'], open: false, disagree: true };
    const characters = [...head];
    if (characters.length === 1)
    {
        const usual = theirs !== head ? [theirs, ...forms] : [];
        return { forms: Beside(usual[0] ?? head, usual), rules: ['single'], open: false, disagree: true };
    }
    const a = [...ours];
    const b = [...theirs];
    if (a.length !== characters.length || b.length !== characters.length)
        return { forms: Beside(theirs, [ours]), rules: ['open'], open: true, disagree: true };
    const rules = [];
    const sides = [];
    characters.forEach((c, i) => {
        if (a[i] === b[i])
            return;
        let side;
        let rule;
        if (reviewedAt[i])
            [rule, side] = ['reviewed', 'ours'];
        else if (name && (a[i] === c) !== (b[i] === c))
            [rule, side] = ['name', a[i] === c ? 'ours' : 'theirs'];
        else if (inWord[i] !== second.inPhrase[i])
            [rule, side] = ['word', inWord[i] ? 'ours' : 'theirs'];
        else
        {
            // Open: OpenCC's phrase; where neither took a word, CC-CEDICT's form, the one
            // its words use most (OpenCC's lone 卤 is 滷 "brine", the halogen is 鹵).
            [rule, side] = ['open', inWord[i] ? 'theirs' : 'ours'];
        }
        rules.push(rule);
        sides.push({ i, side });
    });
    // An open character follows the settled ones of its headword, so that no form mixes the
    // two sources into one neither gives (黃曲霉毒素, not 黃麴霉毒素).
    const open = rules.includes('open');
    const settledSide = sides.find((s, k) => rules[k] !== 'open')?.side;
    const chosen = [...a];
    sides.forEach(({ i, side }, k) => {
        if ((rules[k] === 'open' ? settledSide ?? side : side) === 'theirs')
            chosen[i] = b[i];
    });
    const form = chosen.join('');
    // Where OpenCC's phrase is taken on an open row, CC-CEDICT's form stays beside it, so
    // either finds the line; OpenCC converting a lone character knows no more than
    // CC-CEDICT's words, and its form (滷 for the halogen 卤) is not shown.
    return { forms: Beside(form, form === theirs && open ? [ours, ...forms.slice(1)] : forms.slice(1)), rules, open,
             disagree: true };
}

// Whether an English text names a person (a capitalised word, "van der Waals" included).
export function NamesSomeone(english)
{
    return kNameRe.test(english);
}
