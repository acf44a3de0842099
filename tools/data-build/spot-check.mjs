// Prints a reproducible random sample of a vocabulary's lines, for judging by eye.
//   build/data/voca unscramble technical data/17.voca /tmp/17.txt
//   node tools/data-build/spot-check.mjs /tmp/17.txt [COUNT=100] [SEED=17]
//   node tools/data-build/spot-check.mjs data/glossary/glossary.txt 100 12   # UTF-8: *.txt under data/
import fs from 'node:fs';

// mulberry32: small, fixed, and the same in every node version.
function Random(seed)
{
    let state = seed >>> 0;
    return () => {
        state = (state + 0x6d2b79f5) >>> 0;
        let t = state;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

const [file, count = '100', seed = '17'] = process.argv.slice(2);
if (!file)
{
    console.error('usage: node spot-check.mjs PLAIN_GBK_FILE [COUNT] [SEED]');
    process.exit(2);
}
// The glossary is UTF-8; a descrambled vocabulary is GBK.
const encoding = /glossary\.txt$/.test(file) ? 'utf-8' : 'gbk';
const lines = new TextDecoder(encoding).decode(fs.readFileSync(file)).split('\n').filter(Boolean);
const random = Random(Number(seed));
// A partial Fisher-Yates shuffle: COUNT distinct lines.
const indices = [...lines.keys()];
const n = Math.min(Number(count), lines.length);
for (let i = 0; i < n; ++i)
{
    const j = i + Math.floor(random() * (indices.length - i));
    [indices[i], indices[j]] = [indices[j], indices[i]];
}
indices.slice(0, n).forEach((index, i) => console.log(`${String(i + 1).padStart(3)}  ${lines[index]}`));
