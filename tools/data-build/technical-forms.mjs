// The traditional forms of the technical lines taken from CC-CEDICT, held against OpenCC's
// (forms.mjs settles each disagreement). The glossary's own lines were settled when it was
// derived (glossary.mjs).
import fs from 'node:fs';
import path from 'node:path';

import { NamesSomeone, SecondForm, SettleForms } from './forms.mjs';
import { ReadTable } from './glossary.mjs';

// data/glossary/forms.tsv as a Map word -> traditional form.
export function ReadReviewedForms(file)
{
    return new Map(ReadTable(fs.readFileSync(file, 'utf8')).map(([word, traditional]) => [word, traditional]));
}

// sets: the technical LineSets of CC-CEDICT's entries, before the glossary joins them; each
// line set's forms replaced by the settled ones. Returns the disagreements as rows.
export function SettleTechnicalForms(sets, convert, reviewed, stats)
{
    const rows = [];
    Object.assign(stats, { technicalFormsCedict: 0, technicalFormsOpenCC: 0, technicalFormsAgree: 0,
                           technicalFormsByList: 0, technicalFormsSettled: 0, technicalFormsOpen: 0 });
    for (const lineSet of sets.byHead.values())
    {
        const second = SecondForm(lineSet.head, convert);
        stats.technicalFormsCedict += lineSet.traditional.length ? 1 : 0;
        stats.technicalFormsOpenCC += second.form !== lineSet.head ? 1 : 0;
        const english = lineSet.readings.flatMap(r => r.items.map(item => item.core)).join('; ');
        const result = SettleForms({ head: lineSet.head, forms: lineSet.traditional,
                                     inWord: [...lineSet.head].map(() => true), second,
                                     name: lineSet.readings.some(r => r.proper) || NamesSomeone(english),
                                     reviewed: reviewed.get(lineSet.head) });
        if (!result.disagree)
        {
            ++stats.technicalFormsAgree;
            continue;
        }
        ++stats[result.open ? 'technicalFormsOpen' : result.rules.includes('reviewed') ? 'technicalFormsByList'
                                                    : 'technicalFormsSettled'];
        rows.push({ kind: 'form', term: lineSet.head, ours: lineSet.traditional.join(' ') || lineSet.head,
                    theirs: second.form, chosen: result.forms.join(' ') || lineSet.head, rules: result.rules });
        // A fresh array: the general lines share the source's.
        lineSet.traditional = result.forms;
    }
    return rows;
}

export function WriteFormRows(outDir, rows)
{
    const kHeader = '# kind, headword, CC-CEDICT\'s forms, OpenCC\'s, chosen (first the usual form), rule per\n' +
                    '# differing character (reviewed, single, name, word, open: see forms.mjs).\n';
    const Format = list => list.map(r => [r.kind, r.term, r.ours, r.theirs, r.chosen, r.rules.join(',')].join('\t') + '\n')
                               .join('');
    fs.writeFileSync(path.join(outDir, 'technical-forms.tsv'), kHeader + Format(rows));
    fs.writeFileSync(path.join(outDir, 'technical-forms-open.tsv'),
                     '# Open: no rule settles them; the safer choice is taken until a review decides.\n' + kHeader +
                     Format(rows.filter(r => r.rules.includes('open'))));
}
