// Entries that only point elsewhere, as the general lines keep them: a variant ("erroneous
// variant of 垃圾") folds into the entry it names as an alias that still says what the source
// says of it (its qualifier, traditional form and reading), and a "used in" entry keeps its
// reading on the character's own line, so every reading stays findable by its headword.
import { GlossItems } from './glosses.mjs';

// Labels before the pointer and the words before "variant of": group 1 and group 2.
const kQualifierRe = /^((?:\([^)]*\) )*)((?:[A-Za-z-]+ ){0,3}?)(?:variant of|see also|see|used in|same as|also written) /u;

// "erroneous variant of 垃圾[la1 ji1]" -> "(erroneous)", "(Tw) see X" -> "(Tw)", "see X" -> "".
export function PointerQualifier(gloss)
{
    const match = kQualifierRe.exec(gloss ?? '');
    if (!match)
        return '';
    const words = match[2].trim();
    return [match[1].trim(), words && `(${words})`].filter(Boolean).join(' ');
}

// The alias a variant entry makes in the line set it folds into. Its reading goes with it
// unless the line set has that one reading only (then it can mean no other).
export function VariantAlias(entry, gloss, lineSet, headword)
{
    const readings = new Set(lineSet.readings.map(reading => reading.pinyin));
    return {
        head: entry.head,
        traditional: entry.traditional !== entry.head && headword(entry.traditional) ? [entry.traditional] : [],
        pinyin: readings.size === 1 && readings.has(entry.pinyin) ? '' : entry.pinyin,
        qualifier: PointerQualifier(gloss),
    };
}

// Adds an alias to a line set once; another traditional form of the same alias joins it. A
// form already standing beside the headword or before an entry's reading needs none.
export function AddAlias(lineSet, alias)
{
    if (lineSet.head === alias.head || lineSet.traditional.includes(alias.head) ||
        lineSet.readings.some(reading => reading.form === alias.head))
        return false;
    const same = lineSet.aliases.find(a => a.head === alias.head && a.pinyin === alias.pinyin &&
                                           a.qualifier === alias.qualifier);
    if (!same)
        lineSet.aliases.push(alias);
    else
        same.traditional.push(...alias.traditional.filter(form => !same.traditional.includes(form)));
    return true;
}

// The items of a pointer entry's "used in" glosses ("used in 凤凰[fèng huáng]"), or [].
export function UsedInItems(entry, gbk)
{
    return entry.glosses.filter((gloss, i) => entry.pointers[i]?.how === 'used in')
        .flatMap(gloss => GlossItems(gloss, gbk) ?? []);
}

// "used in X" keeps its reading under the character itself (便 pián, 凰 huáng), a short line
// of its own.
export function AddUsedInReadings(sets, pointerEntries, gbk, stats)
{
    for (const entry of pointerEntries)
    {
        const items = UsedInItems(entry, gbk);
        if (!items.length)
            continue;
        const known = sets.byHead.get(entry.head);
        if (!known)
            ++stats.usedInNewHeadwords;
        else if (!known.readings.some(reading => reading.pinyin === entry.pinyin))
            ++stats.usedInNewReadings;
        sets.Add(entry, items, { ownLine: true });
        ++stats.pointersUsedIn;
    }
}

// Any other pointer folds its headword into each entry it names, following chains of
// pointers, as an alias with the variant's qualifier, traditional form and reading. A
// traditional form's pointer to its own headword: its own reading (一鬨而散 hòng) stays with
// what it says; another variant form ("old variant of 參|参[cān]") becomes an alias with its
// reading and qualifier, unless an entry with a meaning has it as its traditional form. A
// pointer to no entry here stays as the source has it (巚 "variant of 巘[yǎn]").
export function FoldPointers(sets, entries, pointerEntries, headword, gbk, stats)
{
    // Where each pointing headword leads, a form's pointer to its own headword aside (翺
    // "variant of 翱" where 翱 only says "see 翱翔").
    const pointerTarget = new Map();
    for (const entry of pointerEntries)
        if (entry.pointers[0].target !== entry.head && !pointerTarget.has(entry.head))
            pointerTarget.set(entry.head, entry.pointers[0].target);
    const meaningForms = new Set(entries.filter(entry => entry.usable && !entry.pointerOnly)
        .map(entry => `${entry.head}|${entry.traditional}`));
    const unplaced = [];
    for (const entry of pointerEntries)
    {
        let folded = false;
        let sameHead = false;
        entry.pointers.forEach((pointer, i) => {
            if (pointer.how === 'used in')
                return;
            let target = pointer.target;
            for (let hops = 0; hops < 5 && !sets.byHead.has(target) && pointerTarget.has(target); ++hops)
                target = pointerTarget.get(target);
            const lineSet = sets.byHead.get(target);
            const gloss = entry.glosses[i];
            if (target === entry.head)
            {
                const form = entry.traditional;
                if (lineSet && !lineSet.readings.some(reading => reading.pinyin === entry.pinyin))
                    sets.Add(entry, GlossItems(gloss ?? '', gbk) ?? []);
                else if (lineSet && lineSet.traditional.includes(form) && !meaningForms.has(`${entry.head}|${form}`))
                {
                    lineSet.traditional = lineSet.traditional.filter(other => other !== form);
                    AddAlias(lineSet, VariantAlias({ ...entry, head: form }, gloss, lineSet, () => false));
                    ++stats.variantFormsAsAliases;
                }
                sameHead = true;
            }
            else if (lineSet)
            {
                const alias = VariantAlias(entry, gloss, lineSet, headword);
                if (AddAlias(lineSet, alias))
                {
                    stats.aliasesQualified += Number(alias.qualifier !== '');
                    stats.aliasesWithReading += Number(alias.pinyin !== '');
                    stats.aliasesWithTraditional += Number(alias.traditional.length > 0);
                }
                folded = true;
            }
        });
        if (folded)
            ++stats.pointersFolded;
        else if (sameHead)
            ++stats.pointersSameHead;
        else if (!UsedInItems(entry, gbk).length)
            unplaced.push(entry);
    }
    for (const entry of unplaced)
    {
        sets.Add(entry, entry.glosses.flatMap(gloss => GlossItems(gloss, gbk) ?? []));
        ++stats.pointersNoTarget;
    }
}
