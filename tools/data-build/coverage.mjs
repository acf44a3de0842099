// How well the technical vocabulary answers a term list, asked through the real
// sorellan-find (run by tools/coverage). Usage:
//   node coverage.mjs SORELLAN_FIND WORK_DIR EN_LIST ZH_LIST [--misses]
// WORK_DIR holds the 0.voca and 17.voca to ask. An English term counts when a technical hit
// holds it as a whole word or phrase; a Chinese term when a technical hit has it as its
// headword, simplified or traditional.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';

import { BuildGbkTable, Gbk } from './gbk.mjs';

function ReadList(file)
{
    return fs.readFileSync(file, 'utf8').split('\n').map(line => line.trim()).filter(Boolean);
}

// What a user of a GBK system types for a letter GBK lacks: the letter without its mark
// ("Damkohler" for "Damköhler"), as the vocabulary build writes it.
function Typable(term, gbk)
{
    return [...term].map(c => (gbk.Has(c) ? c : c.normalize('NFD').replace(/\p{M}/gu, ''))).join('');
}

// The technical hits of each query, asked all at once in --raw form: per query the general
// and the technical result texts, each ending in NUL; entries end in "\n\r\n".
function TechnicalHits(findTool, workDir, queries, gbk)
{
    const input = Buffer.concat(queries.map(query => gbk.Encode(`${query}\n`)));
    const output = execFileSync(findTool, ['--raw'], { cwd: workDir, input, maxBuffer: 1 << 30,
                                                       stdio: ['pipe', 'pipe', 'ignore'] });
    const texts = new TextDecoder('gbk').decode(output).split('\0');
    if (texts.length !== 2 * queries.length + 1)
        throw new Error(`sorellan-find answered ${(texts.length - 1) / 2} of ${queries.length} queries`);
    return queries.map((query, i) => texts[2 * i + 1].split('\r\n').map(entry => entry.replace(/\n$/, ''))
                                                       .filter(Boolean));
}

const Escape = text => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');

// The headword and the traditional forms after it: the words before the reading.
function Headwords(entry)
{
    const words = entry.split(' ');
    const reading = words.findIndex(word => word.startsWith('['));
    return reading > 0 ? words.slice(0, reading) : words.slice(0, 1);
}

function Main()
{
    const [findTool, workDir, enList, zhList, flag] = process.argv.slice(2);
    if (!zhList)
    {
        console.error('usage: node coverage.mjs SORELLAN_FIND WORK_DIR EN_LIST ZH_LIST [--misses]');
        process.exit(2);
    }
    const gbk = new Gbk(BuildGbkTable());
    const english = ReadList(enList);
    const chinese = ReadList(zhList);
    const englishQueries = english.map(term => Typable(term, gbk));
    const hits = TechnicalHits(findTool, workDir, [...englishQueries, ...chinese], gbk);
    const englishFound = englishQueries.map((query, i) => {
        const phrase = new RegExp(`(?<![A-Za-z0-9])${Escape(query)}(?![A-Za-z0-9])`, 'i');
        return hits[i].some(entry => phrase.test(entry));
    });
    const chineseFound = chinese.map((term, i) => hits[english.length + i].some(entry => Headwords(entry).includes(term)));

    const Report = (name, terms, found) => {
        const n = found.filter(Boolean).length;
        console.log(`${name}: ${n} of ${terms.length} terms (${(100 * n / terms.length).toFixed(1)}%)`);
        if (flag === '--misses')
            console.log(`  missing: ${terms.filter((term, i) => !found[i]).join(' | ')}`);
    };
    Report('English', english, englishFound);
    Report('Chinese', chinese, chineseFound);
}

Main();
