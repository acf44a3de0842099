// The second opinions' packages, unpacked by tools/build-vocabularies from their pinned
// tarballs into one folder (SORELLAN_SECOND_OPINIONS): OpenCC for traditional forms,
// pinyin-pro for readings. Only their data code is imported; no install script ever runs.
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

export async function LoadSecondOpinions(dir = process.env.SORELLAN_SECOND_OPINIONS)
{
    if (!dir || !fs.existsSync(dir))
        throw new Error('SORELLAN_SECOND_OPINIONS names no folder with opencc-js and pinyin-pro ' +
                        '(tools/build-vocabularies unpacks them)');
    const Import = file => import(pathToFileURL(path.join(dir, file)).href);
    const OpenCC = await Import('opencc-js/dist/esm/cn2t.js');
    const pinyinPro = await Import('pinyin-pro/dist/index.mjs');
    // Simplified (mainland) to Taiwan's standard forms, CC-CEDICT's own convention.
    return { convert: OpenCC.Converter({ from: 'cn', to: 'tw' }), pinyinPro };
}

// The disagreements as review rows: kind, term, CC-CEDICT's, the second opinion's, the
// chosen, and the rule of each differing character.
export function SettledRows(settled)
{
    return settled.map(s => [s.kind, s.term, s.ours, s.theirs, s.chosen, s.rules.join(',')].join('\t') + '\n').join('');
}

// Counts for the build's report: disagreements, how many a rule or the list settled, open.
export function SettledCounts(settled, kind)
{
    const rows = settled.filter(s => s.kind === kind);
    const open = rows.filter(s => s.rules.includes('open')).length;
    const byRule = {};
    for (const s of rows)
        for (const rule of new Set(s.rules))
            byRule[rule] = (byRule[rule] ?? 0) + 1;
    return { disagreements: rows.length, settled: rows.length - open, open, byRule };
}
