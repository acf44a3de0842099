// Reviewed corrections to the source (data/corrections.tsv): each replaces one wrong text in
// one gloss of one headword. A correction that no longer finds its text exactly once stops
// the build, so a changed source is looked at again rather than silently left wrong.

// The corrections of the file's text: { head, wrong, right, reason, line }. Lines starting
// with "#" and blank lines say nothing.
export function ReadCorrections(text)
{
    const corrections = [];
    text.split('\n').forEach((raw, i) => {
        const line = raw.replace(/\r$/, '');
        if (line.trim() === '' || line.startsWith('#'))
            return;
        const fields = line.split('\t');
        // An empty right text removes the wrong one (a gloss that does not belong).
        if (fields.length !== 4 || [0, 1, 3].some(k => fields[k].trim() === '') || fields[1] === fields[2])
            throw new Error(`corrections line ${i + 1}: expected headword, wrong text, right text (empty to ` +
                            `remove it) and reason, tab-separated, the right text differing: ${JSON.stringify(line)}`);
        const [head, wrong, right, reason] = fields;
        corrections.push({ head, wrong, right, reason, line: i + 1 });
    });
    return corrections;
}

// Applies the corrections to the source entries ([traditional, simplified, pinyin, gloss or
// glosses, ...]) in place. Throws when a wrong text is not found exactly once among the
// glosses of its headword (a whole gloss counts once, whatever else holds it).
export function ApplyCorrections(entries, corrections)
{
    const byHead = new Map();
    for (const entry of entries)
        if (!byHead.has(entry[1]))
            byHead.set(entry[1], []);
    for (const entry of entries)
        byHead.get(entry[1]).push(entry);
    for (const correction of corrections)
    {
        const places = [];
        for (const entry of byHead.get(correction.head) ?? [])
        {
            const glosses = Array.isArray(entry[3]) ? entry[3] : [entry[3]];
            glosses.forEach((gloss, i) => {
                if (gloss.includes(correction.wrong))
                    places.push({ entry, i, count: gloss.split(correction.wrong).length - 1 });
            });
        }
        let found = places.reduce((n, place) => n + place.count, 0);
        // A wrong text that is one gloss whole names that gloss, though it occurs inside
        // others ("ion" beside "ionized").
        const whole = places.filter(({ entry, i }) => (Array.isArray(entry[3]) ? entry[3][i] : entry[3]) === correction.wrong);
        if (found > 1 && whole.length === 1)
        {
            places.splice(0, places.length, whole[0]);
            found = 1;
        }
        if (found !== 1)
            throw new Error(`correction of line ${correction.line} (${correction.head}: ` +
                            `${JSON.stringify(correction.wrong)}) found ${found} times in the source, ` +
                            'expected once: the source has changed, review the correction');
        const [{ entry, i }] = places;
        if (Array.isArray(entry[3]))
            entry[3][i] = entry[3][i].replace(correction.wrong, correction.right);
        else
            entry[3] = entry[3].replace(correction.wrong, correction.right);
    }
    return corrections.length;
}
