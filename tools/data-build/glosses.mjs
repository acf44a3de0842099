// CC-CEDICT glosses made fit for the line form: references in simplified characters with
// tone marks, characters GBK lacks replaced where a plain letter says the same, items split
// at top-level "; ", and labels such as "(chemistry)" set apart from the gloss proper.
import { ToneMarks } from './pinyin.mjs';

const kHan = '[\\p{Unified_Ideograph}\\u3006\\u3007][\\p{Unified_Ideograph}\\u3006\\u3007，·]*';
// A reference: traditional|simplified[pinyin], or one form alone, with or without pinyin.
const kReference = `(${kHan})(?:\\|(${kHan}))?(?:\\[([^\\]]*)\\])?`;
const kReferenceRe = new RegExp(kReference, 'gu');
// A gloss that does nothing but point elsewhere; group 1 tells how.
const kPointerRe = new RegExp(
    `^(?:\\([^)]*\\) )?(?:[A-Za-z-]+ ){0,3}?(variant of|see also|see|used in|same as|also written)` +
    ` ${kReference}(?:(?:,| and| or|/) ?${kReference})*\\.?$`, 'u');
const kNumberedPinyinRe = /^(?:[A-Za-z:]+[1-5]|[,·]|[A-Z]+)(?: (?:[A-Za-z:]+[1-5]|[,·]|[A-Z]+))*$/;

// Letters GBK lacks that stripping a mark does not turn into ASCII.
const kLetterFallbacks = { 'ø': 'o', 'Ø': 'O', 'æ': 'ae', 'Æ': 'AE', 'ł': 'l', 'Ł': 'L', 'ß': 'ss',
                           'ı': 'i', 'đ': 'd', 'ŋ': 'ng', 'ʻ': "'", 'µ': 'μ', '\u00a0': ' ' };

// Superscripts and subscripts GBK lacks: "10⁻¹³" reads "10^-13", "O₃" reads "O3".
const kSuperscripts = Object.fromEntries([...'⁰¹²³⁴⁵⁶⁷⁸⁹⁻⁺'].map((c, i) => [c, '0123456789-+'[i]]));
const kSubscripts = Object.fromEntries([...'₀₁₂₃₄₅₆₇₈₉'].map((c, i) => [c, String(i)]));
const kOtherFallbacks = { '⁄': '/', '⅓': '1/3', '⅔': '2/3', '⋅': '·', '∼': '~' };

// Element symbols, to tell a formula ("H2SO4") ending a gloss from any other word.
const kElements = new Set(('H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc Ti V Cr Mn Fe Co Ni Cu ' +
    'Zn Ga Ge As Se Br Kr Rb Sr Y Zr Nb Mo Tc Ru Rh Pd Ag Cd In Sn Sb Te I Xe Cs Ba La Ce Pr Nd Pm Sm ' +
    'Eu Gd Tb Dy Ho Er Tm Yb Lu Hf Ta W Re Os Ir Pt Au Hg Tl Pb Bi Po At Rn Fr Ra Ac Th Pa U Np Pu Am ' +
    'Cm Bk Cf Es Fm Md No Lr').split(' '));

// A formula has a count or a two-letter symbol, and two different elements: "H2SO4",
// "NaCl", but not "OK", "CPU", "B2B", "WW1" or the year "F2" of the sixty-year cycle.
export function IsFormula(word)
{
    // Without a count, a final "s" is more likely a plural ("IPOs") than a symbol ("Os").
    if (!/^[A-Z(][A-Za-z0-9()]*$/.test(word) || !/[0-9a-z]/.test(word) || kNotFormulas.has(word) ||
        (/s$/.test(word) && !/[0-9]/.test(word)))
        return false;
    const symbols = word.match(/[A-Z][a-z]?/g);
    const rest = word.replace(/[A-Z][a-z]?|[0-9()]/g, '');
    return rest === '' && symbols.every(symbol => kElements.has(symbol)) && new Set(symbols).size >= 2;
}
const kNotFormulas = new Set(['B2C', 'C2B', 'CoO', 'GeV', 'TeV', 'H5N1', 'H7N9', 'H1N1', 'PS2', 'PS3', 'PS4',
                             'PS5']);

// The pointer a gloss is, or null: { how, target } with the simplified form it names.
export function ParsePointer(gloss)
{
    const match = kPointerRe.exec(gloss);
    if (!match)
        return null;
    return { how: match[1], target: match[3] ?? match[2] };
}

function MarkBrackets(pinyin, gbk)
{
    const numbered = pinyin.trim();
    if (!kNumberedPinyinRe.test(numbered))
        return null;
    return ToneMarks(numbered, mark => gbk.Has(mark));
}

// References written as the simplified form with tone-marked pinyin, and any other
// numbered pinyin in brackets ("Taiwan pr. [ling4]") marked as well.
function RewriteReferences(gloss, gbk)
{
    let text = gloss.replace(kReferenceRe, (whole, first, second, pinyin) => {
        // The traditional form where GBK lacks the simplified one (岭巆 for 岭𫶕).
        const han = second !== undefined && !gbk.Represents(second) && gbk.Represents(first) ? first : second ?? first;
        if (pinyin === undefined)
            return han;
        const marked = MarkBrackets(pinyin, gbk);
        return `${han}[${marked ?? pinyin}]`;
    });
    text = text.replace(/\[([^\]]*)\]/g, (whole, inside) => {
        const marked = MarkBrackets(inside, gbk);
        return marked === null ? whole : `[${marked}]`;
    });
    // "|" separates fields; a lone one left in a gloss reads as "/".
    return text.replace(/\|/g, '/');
}

// The gloss in characters GBK has, or null when some character has no stand-in.
function ToGbkCharacters(gloss, gbk)
{
    let out = '';
    for (const character of gloss.normalize('NFC').replace(/\s+/g, ' '))
    {
        if (gbk.Has(character))
        {
            out += character;
            continue;
        }
        if (character in kSuperscripts)
        {
            out += (/\^[-+0-9]*$/.test(out) ? '' : '^') + kSuperscripts[character];
            continue;
        }
        const other = kSubscripts[character] ?? kOtherFallbacks[character];
        if (other !== undefined)
        {
            out += other;
            continue;
        }
        // A mark GBK lacks goes; so does one that stands alone (it only decorated a letter).
        const stripped = character.normalize('NFD').replace(/\p{M}/gu, '');
        const fallback = gbk.Represents(stripped) ? stripped : kLetterFallbacks[character];
        if (fallback === undefined)
            return null;
        out += fallback;
    }
    return out.replace(/\s+/g, ' ').trim();
}

// Splits at "; " outside parentheses and brackets.
function SplitItems(gloss)
{
    const items = [];
    let depth = 0;
    let begin = 0;
    for (let i = 0; i < gloss.length; ++i)
    {
        const c = gloss[i];
        if (c === '(' || c === '[')
            ++depth;
        else if ((c === ')' || c === ']') && depth > 0)
            --depth;
        else if (c === ';' && depth === 0)
        {
            items.push(gloss.slice(begin, i));
            begin = i + 1;
        }
    }
    items.push(gloss.slice(begin));
    return items.map(item => item.trim()).filter(item => item !== '');
}

// Index of the ")" closing the "(" at `open`, or -1.
function ClosingParen(text, open)
{
    let depth = 0;
    for (let i = open; i < text.length; ++i)
    {
        if (text[i] === '(')
            ++depth;
        else if (text[i] === ')' && --depth === 0)
            return i;
    }
    return -1;
}

// Index of the "(" opening the ")" that ends the text, or -1.
function OpeningParen(text)
{
    let depth = 0;
    for (let i = text.length - 1; i >= 0; --i)
    {
        if (text[i] === ')')
            ++depth;
        else if (text[i] === '(' && --depth === 0)
            return i;
    }
    return -1;
}

// { pre, core, post }: leading labels ("(chemistry)", "lit.", "fig.") and trailing notes
// ("(loanword)", "(H2SO4)") around the words a user would type.
export function SplitLabels(item)
{
    let core = item;
    const pre = [];
    const post = [];
    for (;;)
    {
        const prefix = /^(lit\.|fig\.) /.exec(core);
        if (prefix)
        {
            pre.push(prefix[1]);
            core = core.slice(prefix[0].length);
            continue;
        }
        if (core.startsWith('('))
        {
            const close = ClosingParen(core, 0);
            if (close > 0 && core[close + 1] === ' ' && core.slice(close + 2).trim() !== '')
            {
                pre.push(core.slice(0, close + 1));
                core = core.slice(close + 2).trim();
                continue;
            }
        }
        break;
    }
    while (core.endsWith(')'))
    {
        const open = OpeningParen(core);
        if (open <= 0 || core[open - 1] !== ' ')
            break;
        post.unshift(core.slice(open));
        core = core.slice(0, open - 1).trim();
    }
    const lastBlank = core.lastIndexOf(' ');
    if (lastBlank > 0 && IsFormula(core.slice(lastBlank + 1)))
    {
        post.unshift(core.slice(lastBlank + 1));
        core = core.slice(0, lastBlank).trim();
    }
    return { pre: pre.join(' '), core, post: post.join(' ') };
}

// The items of one source gloss; null when GBK cannot hold it.
export function GlossItems(gloss, gbk)
{
    const rewritten = RewriteReferences(gloss, gbk);
    // A note holding a character GBK lacks goes rather than the whole gloss ("check mark (✓)"),
    // and an "e.g." left with nothing to show with it.
    const text = ToGbkCharacters(rewritten, gbk) ??
        ToGbkCharacters(rewritten.replace(/ ?\([^()]*\)/g, note => (ToGbkCharacters(note, gbk) === null ? '' : note))
            .replace(/,? e\.g\.$/, ''), gbk);
    if (text === null || text === '')
        return null;
    return SplitItems(text).map(SplitLabels).filter(item => item.core !== '');
}

// Adds an item to a reading's list unless it says nothing new there (seen: what the list
// holds): the same item again or, unless plainTwins, a bare gloss already there with a label
// ("alarm" beside "(fire) alarm"). A labelled one always may.
export function AddItem(list, seen, item, plainTwins)
{
    const key = `${item.pre}|${item.core}|${item.post}`;
    if (seen.has(key) || (!plainTwins && !item.pre && !item.post && seen.has(item.core)))
        return;
    seen.add(key);
    seen.add(item.core);
    list.push(item);
}
