// Line sets to lines. A line holds at most kMaxLineBytes GBK bytes before its LF, so the
// program reads every line as one entry; a line set too long for one line goes on over
// several, each repeating the headword and the reading it continues.
export const kMaxLineBytes = 253;

// General lines: the headword, its traditional forms, every gloss and every alias between
// two "|", so typing any of them is an exact match; ";" keeps glosses apart once "|" shows
// as a blank.
//   |硫酸|[liú suān]|sulfuric acid|H2SO4;|sulfate|
//   |蒸馏|,|蒸餾|[zhēng liú]|to distill|;|distillation|
//   |行|[háng]|row|;|line|; [xíng] (bound form)|to walk|;|to go|
//   |惠州市|[huì zhōu shì]|Huizhou, prefecture-level city ...|; also|惠州|
export const kGeneralForm = {
    // Each form between its own two bars, so "|" still comes in pairs.
    Start: (head, traditional = []) => [head, ...traditional].map(form => `|${form}|`).join(','),
    Item: ({ pre, core, post }) => (core ? `${pre}|${core}|${post}` : [pre, post].filter(Boolean).join(' ')),
    // A piece opening its reading on a line: after the headword, or after another
    // reading's pieces, kept apart by ";" as any two glosses are (so a note never runs
    // into the next reading: "(connector etc); [wā]").
    First(atStart, pinyin, piece)
    {
        const header = pinyin ? `${atStart ? '' : '; '}[${pinyin}]` : atStart ? '' : ';';
        return header + (header && piece.startsWith('(') ? ' ' : '') + piece;
    },
    Next: piece => `;${piece.startsWith('(') ? ' ' : ''}${piece}`,
    AliasFirst: (atStart, alias) => `${atStart ? 'also' : '; also'}|${alias}|`,
    AliasNext: alias => `,|${alias}|`,
};

// Technical lines, which the program shows with "|" as it stands, so they hold none:
//   硫酸 [liú suān] sulfuric acid H2SO4; sulfate
//   蒸馏 蒸餾 [zhēng liú] to distill; distillation
export const kTechnicalForm = {
    Start: (head, traditional = []) => [head, ...traditional].join(' '),
    Item: ({ pre, core, post }) => [pre, core, post].filter(Boolean).join(' '),
    First: (atStart, pinyin, piece) => (pinyin ? `${atStart ? ' ' : '; '}[${pinyin}] ` : atStart ? ' ' : '; ') + piece,
    Next: piece => `; ${piece}`,
    AliasFirst: (atStart, alias) => `${atStart ? ' also ' : '; also '}${alias}`,
    AliasNext: alias => `, ${alias}`,
};

// Text cut at blanks into runs that each make an item of at most `room` bytes.
function CutAtBlanks(text, room, MakeItem, form, byteLength)
{
    const runs = [];
    let current = '';
    for (const word of text.split(' '))
    {
        const candidate = current ? `${current} ${word}` : word;
        if (current && byteLength(form.Item(MakeItem(candidate, runs.length))) > room)
        {
            runs.push(current);
            current = word;
        }
        else
            current = candidate;
    }
    runs.push(current);
    return runs.map(MakeItem);
}

// An item too long for any line: its gloss cut at blanks, then its trailing note as
// pieces of note alone (no gloss between bars).
function SplitLongItem(item, room, form, byteLength)
{
    const glossPart = { pre: item.pre, core: item.core, post: '' };
    const GlossRun = (core, i) => ({ pre: i === 0 ? item.pre : '', core, post: '' });
    const NoteRun = note => ({ pre: '', core: '', post: note });
    const pieces = byteLength(form.Item(glossPart)) <= room
        ? [glossPart]
        : CutAtBlanks(item.core, room, GlossRun, form, byteLength);
    if (item.post)
        pieces.push(...CutAtBlanks(item.post, room, NoteRun, form, byteLength));
    return pieces;
}

// lineSet: { head, traditional: [], readings: [{ pinyin, items: [{ pre, core, post }] }],
//            aliases: [] }; every line starts with the headword and its traditional forms, so
// an exact match works for either on any of them.
export function LayOut(lineSet, form, byteLength)
{
    const start = form.Start(lineSet.head, lineSet.traditional);
    const lines = [];
    let line = start;
    let segment = null;  // the reading (or the aliases) the current line's last piece is of

    const Fits = text => byteLength(text) <= kMaxLineBytes;
    // Appends a piece, opening a new line when it does not fit on the current one.
    const Put = (id, first, next) => {
        if (segment === id && Fits(line + next))
        {
            line += next;
            return;
        }
        if (segment !== id && Fits(line + first(line === start)))
        {
            line += first(line === start);
            segment = id;
            return;
        }
        if (line !== start)
            lines.push(line);
        line = start + first(true);
        segment = id;
        if (!Fits(line))
            throw new Error(`line too long for ${JSON.stringify(lineSet.head)}: ${line}`);
    };

    for (const reading of lineSet.readings)
    {
        // What a fresh line leaves for one item (2 bytes spare for a blank before a label).
        const room = kMaxLineBytes - byteLength(start + form.First(true, reading.pinyin, '')) - 2;
        for (const whole of reading.items)
        {
            const items = byteLength(form.Item(whole)) > room ? SplitLongItem(whole, room, form, byteLength)
                                                              : [whole];
            for (const item of items)
            {
                const piece = form.Item(item);
                Put(reading, atStart => form.First(atStart, reading.pinyin, piece), form.Next(piece));
            }
        }
    }
    const aliases = {};
    for (const alias of lineSet.aliases)
        Put(aliases, atStart => form.AliasFirst(atStart, alias), form.AliasNext(alias));
    if (line !== start)
        lines.push(line);
    return lines;
}
