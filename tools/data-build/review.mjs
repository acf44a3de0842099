// Applies the review of the technical lines taken from CC-CEDICT alone
// (data/review/technical-cedict/): two reviewers judged each line keep, fix or drop, a third
// look settled where they differ, and review-settled.tsv holds the verdicts.
//   keep  the line goes on unchanged;
//   fix   the source glosses are mended through corrections.tsv rows so the line reads as
//         the verdict's English (a gloss mended, one dropped, one added);
//   drop  the headword leaves the technical list (excluded.tsv, with the reviewers' reason).
//
//   node review.mjs ALL_JS [REVIEW_DIR]    # REVIEW_DIR: data/review/technical-cedict/
//
// Rewrites the review's section of data/corrections.tsv, excluded.tsv and unapplied.tsv
// (fixes no correction can express) in REVIEW_DIR, and prints the counts.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { ApplyCorrections, ReadCorrections } from './corrections.mjs';
import { BuildGbkTable, Gbk } from './gbk.mjs';
import { GlossItems } from './glosses.mjs';
import { kTechnicalForm } from './layout.mjs';

const kSectionStart = '# From the review of the technical lines taken from CC-CEDICT alone ' +
                      '(data/review/technical-cedict/, written by tools/data-build/review.mjs):';

// Tab-separated rows, "#" comments and blank lines skipped.
function Rows(text)
{
    return text.split('\n').map(line => line.replace(/\r$/, '')).filter(line => line.trim() && !line.startsWith('#'))
               .map(line => line.split('\t'));
}

// review-settled.tsv: Map line-id -> { id, head, verdict, english, basis, note }.
export function ReadVerdicts(text)
{
    const verdicts = new Map();
    for (const [id, head, verdict, english = '', basis = '', note = ''] of Rows(text))
    {
        if (!/^\d+$/.test(id) || !['keep', 'fix', 'drop'].includes(verdict))
            throw new Error(`review-settled.tsv: bad row for line ${id} (${head}): verdict "${verdict}"`);
        if (verdict === 'fix' && !english.trim())
            throw new Error(`review-settled.tsv: line ${id} (${head}) is fixed without its English`);
        verdicts.set(Number(id), { id: Number(id), head, verdict, english: english.trim(), basis, note: note.trim() });
    }
    return verdicts;
}

// A line of cedict-only.txt ("head [forms] [pinyin] English"): { head, english: [items] }.
export function ParseReviewedLine(line)
{
    const head = line.split(' ')[0];
    const at = line.indexOf('] ');
    return { head, english: at < 0 ? [] : SplitEnglish(line.slice(at + 2)) };
}

// A line's English in items, split as the build splits glosses (not inside brackets).
function SplitEnglish(text)
{
    return RawItems(text);
}

// Splits a source gloss at top-level "; " as glosses.mjs does, keeping the raw text.
function RawItems(gloss)
{
    const items = [];
    let depth = 0;
    let begin = 0;
    for (let i = 0; i < gloss.length; ++i)
    {
        if ('(['.includes(gloss[i]))
            ++depth;
        else if (')]'.includes(gloss[i]) && depth > 0)
            --depth;
        else if (gloss[i] === ';' && depth === 0)
        {
            items.push(gloss.slice(begin, i));
            begin = i + 1;
        }
    }
    items.push(gloss.slice(begin));
    return items.map(item => item.trim()).filter(Boolean);
}

// The corrections that make the line of `head` read `english` instead of `old` (both item
// lists), from the source entries' glosses: [{ head, wrong, right, reason }], or a string
// saying why no correction can.
export function FixCorrections(head, old, english, entries, gbk, reason)
{
    // Every raw item of the head's glosses that shows on the line, with the text it shows as.
    const shown = [];
    const texts = [];
    for (const entry of entries.filter(e => e[1] === head))
        for (const gloss of Array.isArray(entry[3]) ? entry[3] : [entry[3]])
        {
            texts.push(gloss);
            const raw = RawItems(gloss);
            const items = GlossItems(gloss, gbk) ?? [];
            if (raw.length !== items.length)
                continue;
            raw.forEach((r, i) => {
                const text = kTechnicalForm.Item(items[i]);
                if (old.includes(text))
                    shown.push({ raw: r, text });
            });
        }
    const wanted = new Set(english);
    const kept = new Set(shown.filter(s => wanted.has(s.text)).map(s => s.text));
    const mended = shown.filter(s => !wanted.has(s.text));
    const added = english.filter(text => !kept.has(text));
    if (!shown.length)
        return 'none of the line\'s glosses is found in the source';
    // As corrections.mjs counts: once inside the glosses, or one gloss whole.
    const Once = text => texts.reduce((n, g) => n + g.split(text).length - 1, 0) === 1 ||
                         texts.filter(g => g === text).length === 1;
    const rows = [];
    if (!mended.length && added.length)
    {
        const last = shown.at(-1);
        rows.push({ head, wrong: last.raw, right: [last.raw, ...added].join('; '), reason });
    }
    mended.forEach((s, i) => rows.push({ head, wrong: s.raw, right: i === 0 ? added.join('; ') : '', reason }));
    for (const row of rows)
    {
        // Removing an item takes the "; " beside it along where there is one; an item found
        // in other glosses too is told apart by that "; ".
        const wider = [[`${row.wrong}; `, row.right ? `${row.right}; ` : ''], [`; ${row.wrong}`, row.right ? `; ${row.right}` : '']]
            .find(([wrong]) => Once(wrong));
        if (wider && (row.right === '' || !Once(row.wrong)))
            [row.wrong, row.right] = wider;
        if (!Once(row.wrong))
            return `"${row.wrong}" is not found exactly once in the source glosses of ${head}`;
    }
    return rows;
}

// The verdicts applied: { corrections, excluded: [{ head, id, reason }], unapplied:
// [{ id, head, why }], counts }.
export function ApplyVerdicts(verdicts, reviewedLines, entries, gbk)
{
    const corrections = [];
    const excluded = [];
    const unapplied = [];
    const counts = { keep: 0, fix: 0, drop: 0, agree: 0, thirdLook: 0, fixRows: 0, unapplied: 0 };
    for (const verdict of verdicts.values())
    {
        ++counts[verdict.verdict];
        ++counts[verdict.basis === 'third-look' ? 'thirdLook' : 'agree'];
        const line = reviewedLines[verdict.id - 1];
        if (!line)
            throw new Error(`review-settled.tsv: no line ${verdict.id} in cedict-only.txt`);
        const { head, english } = ParseReviewedLine(line);
        if (head !== verdict.head)
            throw new Error(`review-settled.tsv: line ${verdict.id} is ${head}, not ${verdict.head}`);
        const reason = `${verdict.note || 'the English as the reviewers give it'} (review of the technical lines, line ${verdict.id})`
            .replace(/\t/g, ' ');
        if (verdict.verdict === 'drop')
            excluded.push({ head, id: verdict.id, reason });
        else if (verdict.verdict === 'fix')
        {
            const rows = FixCorrections(head, english, SplitEnglish(verdict.english), entries, gbk, reason);
            if (typeof rows === 'string')
                unapplied.push({ id: verdict.id, head, why: rows, english: verdict.english });
            else
            {
                corrections.push(...rows);
                counts.fixRows += rows.length;
            }
        }
    }
    counts.unapplied = unapplied.length;
    return { corrections, excluded, unapplied, counts };
}

// corrections.tsv's text with the review's section (the rest of the file after its header
// line) replaced by `rows`.
export function WithReviewSection(text, rows)
{
    const at = text.indexOf(kSectionStart);
    const before = (at < 0 ? text : text.slice(0, at)).replace(/\n*$/, '\n');
    if (!rows.length)
        return before;
    return `${before}${kSectionStart}\n` +
           rows.map(r => [r.head, r.wrong, r.right, r.reason].join('\t') + '\n').join('');
}

// data/review/technical-cedict/excluded.tsv as a Map head -> reason.
export function ReadExcluded(text)
{
    return new Map(Rows(text).map(([head, , reason]) => [head, reason]));
}

// What the build needs of the review: { excluded: Map head -> reason, fixed: Map head ->
// the English items its line shows, counts of the verdicts and their bases }, from
// REVIEW_DIR's excluded.tsv and review-settled.tsv.
export function ReadReview(dir)
{
    const Text = name => (fs.existsSync(path.join(dir, name)) ? fs.readFileSync(path.join(dir, name), 'utf8') : '');
    const verdicts = [...ReadVerdicts(Text('review-settled.tsv')).values()];
    const fixed = new Map(verdicts.filter(v => v.verdict === 'fix').map(v => [v.head, SplitEnglish(v.english)]));
    const counts = {};
    for (const v of verdicts)
        for (const key of [v.verdict, v.basis])
            counts[key] = (counts[key] ?? 0) + 1;
    return { excluded: ReadExcluded(Text('excluded.tsv')), fixed, counts };
}

// The items a technical entry shows as the review decided: none for a dropped headword;
// for a fixed one, those its English names, whether or not the rules would take them (a
// fix may take away the word they chose the entry by: 泡罩塔 "distillation tower" became
// "bubble-cap column"); else the rules' own. items: the rules' items; all: every item of the
// entry; Text: an item as the line shows it.
export function ReviewedItems(head, items, all, review, Text)
{
    if (review.excluded.has(head))
        return [];
    const english = review.fixed.get(head);
    return english ? all.filter(item => english.includes(Text(item))) : items;
}

function Main()
{
    const dataDir = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', '..', 'data');
    const [sourceFile, dir = path.join(dataDir, 'review', 'technical-cedict')] = process.argv.slice(2);
    if (!sourceFile)
    {
        console.error('usage: node review.mjs ALL_JS [REVIEW_DIR]');
        process.exit(2);
    }
    const text = fs.readFileSync(sourceFile, 'utf8');
    const data = JSON.parse(text.slice('export default '.length).replace(/;?\s*$/, ''));
    const correctionsFile = path.join(dataDir, 'corrections.tsv');
    // The source as the build sees it before this review's own rows.
    const own = WithReviewSection(fs.readFileSync(correctionsFile, 'utf8'), []);
    ApplyCorrections(data.all, ReadCorrections(own));
    const gbk = new Gbk(BuildGbkTable());
    const verdicts = ReadVerdicts(fs.readFileSync(path.join(dir, 'review-settled.tsv'), 'utf8'));
    const lines = fs.readFileSync(path.join(dir, 'cedict-only.txt'), 'utf8').split('\n');
    const { corrections, excluded, unapplied, counts } = ApplyVerdicts(verdicts, lines, data.all, gbk);

    fs.writeFileSync(correctionsFile, WithReviewSection(own, corrections));
    fs.writeFileSync(path.join(dir, 'excluded.tsv'),
                     '# Headwords the review dropped from the technical list: headword, line of cedict-only.txt, reason.\n' +
                     excluded.map(e => `${e.head}\t${e.id}\t${e.reason}\n`).join(''));
    fs.writeFileSync(path.join(dir, 'unapplied.tsv'),
                     '# Fixes no correction of the source can express (the line stays as it was): line, headword,\n' +
                     '# why, the English the review asks for.\n' +
                     unapplied.map(u => `${u.id}\t${u.head}\t${u.why}\t${u.english}\n`).join(''));
    for (const [key, value] of Object.entries(counts))
        console.log(`review ${key}: ${value}`);
}

if (process.argv[1] && fileURLToPath(import.meta.url) === path.resolve(process.argv[1]))
    Main();
