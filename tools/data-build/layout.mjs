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
//   |惠州市|[huì zhōu shì]|Huizhou, prefecture-level city ...|; also|惠州|[huì zhōu]
//   |垃圾|[lā jī]|trash|;|refuse|; also|拉圾| (erroneous)
//   |调制|,|調制|[tiáo zhì]|to modulate|;|modulation|; |調製|[tiáo zhì]|to concoct|
export const kGeneralForm = {
    // Each form between its own two bars, so "|" still comes in pairs.
    Start: (head, traditional = []) => [head, ...traditional].map(form => `|${form}|`).join(','),
    Item: ({ pre, core, post }) => (core ? `${pre}|${core}|${post}` : [pre, post].filter(Boolean).join(' ')),
    // A piece opening its reading on a line: after the headword, or after another
    // reading's pieces, kept apart by ";" as any two glosses are (so a note never runs
    // into the next reading: "(connector etc); [wā]"). A piece not opening with a bar
    // ("lit.|...|", "(fig.)|...|") is kept apart by a blank.
    // An entry whose traditional form is not every entry's (斗 dǒu, 鬥 dòu "to fight") has
    // it right before its reading, between bars as any form: "|斗|[dǒu]|...|; |鬥|[dòu]|...|".
    First(atStart, pinyin, piece, own = '')
    {
        const form = own ? `${atStart ? ',' : ''}|${own}|` : '';
        const header = `${atStart ? '' : own || pinyin ? '; ' : ';'}${form}${pinyin ? `[${pinyin}]` : ''}`;
        return header + (header && piece && !piece.startsWith('|') ? ' ' : '') + piece;
    },
    Next: piece => `;${piece.startsWith('|') ? '' : ' '}${piece}`,
    // A variant keeps its traditional forms, its reading and the source's word for it. On a
    // line of their own the aliases of a headword with one reading repeat it, as any
    // continued reading does.
    AliasFirst: (atStart, alias, reading = '') =>
        `${atStart ? `${reading ? `[${reading}] ` : ''}also` : '; also'}${kGeneralForm.Alias(alias)}`,
    AliasNext: alias => `; also${kGeneralForm.Alias(alias)}`,
    Alias: ({ head, traditional, pinyin, qualifier }) =>
        kGeneralForm.Start(head, traditional) + (pinyin ? `[${pinyin}]` : '') + (qualifier ? ` ${qualifier}` : ''),
    // A gloss longer than a line goes on over lines with this mark at each cut, without
    // bars: no piece of it is a gloss of its own.
    continued: '…',
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

// Words that open a phrase: a long gloss may be cut before them; before "and" or "or" only
// when nothing better fits ("Honghe Hani and Yi Autonomous Prefecture" is one name).
const kPhraseWords = new Set(['in', 'of', 'for', 'but', 'with', 'to', 'from', 'by', 'as', 'at', 'on', 'that',
                              'which', 'who', 'whose', 'where', 'when', 'namely', 'including', 'especially', 'i.e.',
                              'e.g.', 'also', 'esp.', 'lit.', 'fig.']);
const kJoiningWords = new Set(['and', 'or']);

// The blanks a long text may be cut at, each with a score, lower is better: 0 after a
// clause (",", ";", ":"), 1 before a bracket or a word opening a phrase, 2 before "and" or
// "or", 3 any other; 4 more for each note "(...)" or quotation it stands in. Never inside
// a reference's "[...]", nor deeper than two notes.
function CutPoints(text)
{
    const points = [];
    let square = 0;
    let notes = 0;
    let quoted = false;
    for (let i = 0; i < text.length; ++i)
    {
        const c = text[i];
        if (c === '"')
            quoted = !quoted;
        else if (c === '[')
            ++square;
        else if (c === ']' && square > 0)
            --square;
        else if (c === '(')
            ++notes;
        else if (c === ')' && notes > 0)
            --notes;
        else if (c === ' ' && square === 0 && notes <= 2)
        {
            const word = /^[^ ]*/.exec(text.slice(i + 1))[0];
            const rank = /[,;:]$/.test(text.slice(0, i)) ? 0
                : text[i + 1] === '(' || kPhraseWords.has(word) ? 1 : kJoiningWords.has(word) ? 2 : 3;
            points.push({ at: i, notes, score: rank + 4 * (notes + Number(quoted)) });
        }
    }
    return points;
}

// A gloss too long for a line as pieces of plain text, each at most `room` bytes with its
// marks: cut at the best boundary that leaves the piece at least a third of the room, the
// piece before a cut ending in the mark and the one after it opening with it. A cut inside
// a note closes it and opens it again ("... sleeping …)", "(… hit the floor)"), so each
// line's brackets pair up. Null when some stretch between boundaries is longer than a line.
export function ContinuedPieces(item, room, mark, byteLength)
{
    const text = [item.pre, item.core, item.post].filter(Boolean).join(' ');
    const bodyRoom = room - 2 * byteLength(` ${mark}`) - 4;
    const points = CutPoints(text);
    const cuts = [];
    let begin = 0;
    while (byteLength(text.slice(begin)) > bodyRoom)
    {
        const fitting = points.filter(p => p.at > begin && byteLength(text.slice(begin, p.at)) <= bodyRoom);
        if (!fitting.length)
            return null;
        let chosen = fitting.at(-1);
        for (let score = 0; score <= 15; ++score)
        {
            const best = fitting.filter(p => p.score <= score).at(-1);
            if (best && byteLength(text.slice(begin, best.at)) * 3 >= bodyRoom)
            {
                chosen = best;
                break;
            }
        }
        cuts.push(chosen);
        begin = chosen.at + 1;
    }
    const pieces = [];
    let previous = { at: -1, notes: 0 };
    for (const cut of [...cuts, { at: text.length, notes: 0 }])
    {
        const opening = previous.at < 0 ? '' : `${'('.repeat(previous.notes)}${mark} `;
        const closing = cut.at < text.length ? ` ${mark}${')'.repeat(cut.notes)}` : '';
        pieces.push({ pre: opening + text.slice(previous.at + 1, cut.at) + closing, core: '', post: '',
                      continues: previous.at >= 0 });
        previous = cut;
    }
    return pieces;
}

// An item too long for any line: its gloss cut at blanks, then its trailing note as
// pieces of note alone (no gloss between bars).
function SplitLongItem(item, room, form, byteLength, counts)
{
    if (form.continued)
    {
        const pieces = ContinuedPieces(item, room, form.continued, byteLength);
        if (pieces)
        {
            counts.continued = (counts.continued ?? 0) + 1;
            return pieces;
        }
    }
    counts.cutAtBlanks = (counts.cutAtBlanks ?? 0) + 1;
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

// lineSet: { head, traditional: [], readings: [{ pinyin, form, items: [{ pre, core, post }] }],
//            aliases: [] } (form: the traditional form of the reading's entries where the
//            headword's entries differ in it); every line starts with the headword and its traditional forms, so
// an exact match works for either on any of them. counts gains how many long items went on
// over lines (continued) and how many were cut at blanks.
export function LayOut(lineSet, form, byteLength, counts = {})
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
    // What follows starts a line of its own.
    const Break = () => {
        if (line !== start)
            lines.push(line);
        line = start;
        segment = null;
    };

    const PutReading = reading => {
        // A reading without a gloss still shows, so its headword and reading can be found.
        if (!reading.items.length)
            Put(reading, atStart => form.First(atStart, reading.pinyin, '', reading.form), '');
        // What a fresh line leaves for one item (2 bytes spare for a blank before a label).
        const room = kMaxLineBytes - byteLength(start + form.First(true, reading.pinyin, '', reading.form)) - 2;
        for (const whole of reading.items)
        {
            const items = byteLength(form.Item(whole)) > room ? SplitLongItem(whole, room, form, byteLength, counts)
                                                              : [whole];
            for (const item of items)
            {
                if (item.continues)
                    Break();
                const piece = form.Item(item);
                Put(reading, atStart => form.First(atStart, reading.pinyin, piece, reading.form), form.Next(piece));
            }
        }
    };

    // The entries the headword's own form writes first: a form at a line's start then speaks
    // only for what follows it ("|干|[gān]|to concern oneself with|; |乾|[gān]|dry|").
    lineSet.readings.filter(reading => !reading.ownLine)
        .sort((a, b) => Number(Boolean(a.form)) - Number(Boolean(b.form))).forEach(PutReading);
    const aliases = {};
    const pinyins = new Set(lineSet.readings.map(reading => reading.pinyin));
    const onlyReading = pinyins.size === 1 ? [...pinyins][0] : '';
    for (const alias of lineSet.aliases)
        Put(aliases, atStart => form.AliasFirst(atStart, alias, onlyReading), form.AliasNext(alias));
    // Readings of their own line ("used in" ones) come last, each a short line.
    for (const reading of lineSet.readings.filter(reading => reading.ownLine))
    {
        Break();
        PutReading(reading);
    }
    Break();
    return lines;
}
