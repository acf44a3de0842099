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
    const readings = lineSet.readings.map(reading => reading.pinyin);
    return {
        head: entry.head,
        traditional: entry.traditional !== entry.head && headword(entry.traditional) ? [entry.traditional] : [],
        pinyin: readings.length === 1 && readings[0] === entry.pinyin ? '' : entry.pinyin,
        qualifier: PointerQualifier(gloss),
    };
}

// Adds an alias to a line set once; another traditional form of the same alias joins it. A
// form already standing beside the headword needs none.
export function AddAlias(lineSet, alias)
{
    if (lineSet.head === alias.head || lineSet.traditional.includes(alias.head))
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
