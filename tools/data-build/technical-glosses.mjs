// Where the project's glossary has a technical headword, its double-keyed English is what the
// line means, and CC-CEDICT's glosses of the same headword must not contradict it. Going:
//   a gloss one or two letters from one of the glossary's words, which names another thing
//   (哒嗪 "pyrazine" beside "pyridazine", 吸附剂 "absorbent" beside "adsorbent", 氟化
//   "fluoridation" beside "fluorination");
//   a gloss that only repeats one of the glossary's in another case, unless its capitals
//   say something ("Styrene" goes; "Petri dish" and "manganese(IV) oxide" stay, and the
//   glossary's "petri dish" and "manganese(iv) oxide" give way to them);
//   an explanation that names other entries (锕系元素's list of every actinoid, "uranium U92
//   铀[yóu], ..."), which split the line in two beside the glossary's "actinide".
const kHanRe = /\p{Unified_Ideograph}/u;

// Levenshtein distance, stopping early past `limit`.
function Distance(a, b, limit)
{
    if (Math.abs(a.length - b.length) > limit)
        return limit + 1;
    let row = Array.from({ length: b.length + 1 }, (_, j) => j);
    for (let i = 1; i <= a.length; ++i)
    {
        const next = [i];
        for (let j = 1; j <= b.length; ++j)
            next[j] = Math.min(row[j] + 1, next[j - 1] + 1, row[j - 1] + (a[i - 1] === b[j - 1] ? 0 : 1));
        row = next;
    }
    return row[b.length];
}

function Capitals(text)
{
    return (text.match(/[A-Z]/g) ?? []).length - (/^[A-Z][a-z]*$/.test(text) ? 1 : 0);
}

// The glossary's English terms less those a CC-CEDICT item of the line already gives in
// another case with more capitals that say something ("Petri dish", "manganese(IV) oxide").
export function WithoutCaseRepeats(english, lineSet)
{
    const cores = lineSet ? lineSet.readings.flatMap(r => r.items.map(item => item.core)) : [];
    return english.filter(term => !cores.some(core => core !== term && core.toLowerCase() === term.toLowerCase() &&
                                                      Capitals(core) > Capitals(term)));
}

// Why an item contradicts the glossary's English terms, or null.
export function Contradiction(item, english)
{
    const core = item.core.toLowerCase();
    const glossary = english.map(term => term.toLowerCase());
    if (glossary.includes(core))
        return item.core !== english[glossary.indexOf(core)] && !item.pre && !item.post &&
               Capitals(item.core) <= Capitals(english[glossary.indexOf(core)]) ? 'repeats' : null;
    if (/^[a-z-]+$/.test(core) && glossary.some(term => /^[a-z-]+$/.test(term) && Distance(core, term, 2) <= 2))
        return 'confusable';
    if (kHanRe.test(item.core) || kHanRe.test(item.post))
        return 'explains';
    return null;
}

// lineSet: a technical line set of CC-CEDICT's entries; english: the glossary's English
// terms for the same headword. Removes the contradicting items in place and returns them.
export function DropContradictedGlosses(lineSet, english)
{
    const dropped = [];
    for (const reading of lineSet.readings)
        for (const list of [reading.common, reading.names])
            for (let i = list.length - 1; i >= 0; --i)
                if (Contradiction(list[i], english))
                    dropped.push(...list.splice(i, 1));
    return dropped;
}
