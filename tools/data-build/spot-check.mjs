// Prints a reproducible random sample of a vocabulary's lines, for judging by eye.
//   build/data/voca unscramble technical data/17.voca /tmp/17.txt
//   node tools/data-build/spot-check.mjs /tmp/17.txt [COUNT=100] [SEED=17]
//   node tools/data-build/spot-check.mjs data/glossary/glossary.txt 100 12   # UTF-8: *.txt under data/
import fs from 'node:fs';

import { SampleIndices } from './random.mjs';

const [file, count = '100', seed = '17'] = process.argv.slice(2);
if (!file)
{
    console.error('usage: node spot-check.mjs PLAIN_GBK_FILE [COUNT] [SEED]');
    process.exit(2);
}
// The glossary is UTF-8; a descrambled vocabulary is GBK.
const encoding = /glossary\.txt$/.test(file) ? 'utf-8' : 'gbk';
const lines = new TextDecoder(encoding).decode(fs.readFileSync(file)).split('\n').filter(Boolean);
SampleIndices(lines.length, Number(count), Number(seed))
    .forEach((index, i) => console.log(`${String(i + 1).padStart(3)}  ${lines[index]}`));
