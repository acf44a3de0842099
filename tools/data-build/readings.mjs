// A second opinion on the glossary's readings: pinyin-pro (npm, pinned by
// tools/build-vocabularies), which reads polyphonic characters from its own word list. Where
// it and the CC-CEDICT cut disagree on a character, a rule settles the character when one is
// sound, and the rest are open (listed for review, pinyin-pro's reading taken where it read a
// word):
//   reviewed  the character's reading comes from data/glossary/readings.tsv: that stands;
//   field     the CC-CEDICT cut read the character inside a shorter glossary term, a word of
//             the field (最小|传热|温差: 传热 chuán, not pinyin-pro's 小传 zhuàn);
//   word      one side read the character inside a word of two or more characters, the
//             other alone: the word wins (四重峰: 四重 chóng beats 重 zhòng alone);
//   fewer     both read it inside words, cut differently: the cut with fewer pieces wins,
//             as a word that straddles two others is the fault (最小|传热|温差 beats 最|小传|热|温差).

// pinyin-pro's reading of a term's Han characters: [{ syllable, inWord, pieces }] in term
// order, pieces being how many pieces its cut makes of the character's run (syllable null
// where it has none).
export function SecondReading(simplified, pinyinPro)
{
    const characters = [];
    for (const [run] of simplified.matchAll(/\p{Unified_Ideograph}+/gu))
    {
        // Dictionary readings: 一 and 不 as written, not as spoken before another tone.
        const pieces = pinyinPro.segment(run, { format: pinyinPro.OutputFormat.AllArray, toneSandhi: false });
        for (const piece of pieces)
            for (const { origin, result } of piece)
                // A character it cannot read (the newest elements) gives no opinion.
                characters.push({ syllable: result === origin ? null : result, inWord: piece.length > 1,
                                  pieces: pieces.length });
    }
    return characters;
}

// ours: [{ syllable, inWord, field, pieces, reviewed }] of the CC-CEDICT cut; theirs: SecondReading's.
// Returns null where they agree, else { syllables (the chosen ones), rules: [per differing
// character 'reviewed' | 'field' | 'word' | 'fewer' | 'open'], taken: per differing character 'ours' |
// 'theirs', at: the differing indexes }.
export function SettleReading(ours, theirs)
{
    if (ours.length !== theirs.length)
        throw new Error(`second reading has ${theirs.length} characters, ours ${ours.length}`);
    const at = ours.map((c, i) => i).filter(i => theirs[i].syllable !== null && ours[i].syllable !== theirs[i].syllable);
    if (!at.length)
        return null;
    const rules = [];
    const taken = [];
    const syllables = ours.map(c => c.syllable);
    for (const i of at)
    {
        const [a, b] = [ours[i], theirs[i]];
        let rule;
        let side;
        if (a.reviewed)
            [rule, side] = ['reviewed', 'ours'];
        else if (a.field && a.inWord)
            [rule, side] = ['field', 'ours'];
        else if (a.inWord !== b.inWord)
            [rule, side] = ['word', a.inWord ? 'ours' : 'theirs'];
        else if (a.inWord && a.pieces !== b.pieces)
            [rule, side] = ['fewer', a.pieces < b.pieces ? 'ours' : 'theirs'];
        else
            // Open: pinyin-pro where it read a word, else the CC-CEDICT cut.
            [rule, side] = ['open', b.inWord ? 'theirs' : 'ours'];
        rules.push(rule);
        taken.push(side);
        if (side === 'theirs')
            syllables[i] = b.syllable;
    }
    return { syllables, rules, taken, at };
}
