// Numbered pinyin ("lu:4 se4") to tone marks ("lǜ sè"), in lower case: GBK has the marked
// vowels only in lower case, and a lookup tool gains nothing from capitals there.
// Tones 1 to 4 of each letter that can carry one; null where no such letter exists.
const kMarked = {
    a: [...'āáǎà'], e: [...'ēéěè'], i: [...'īíǐì'], o: [...'ōóǒò'], u: [...'ūúǔù'],
    'ü': [...'ǖǘǚǜ'], n: [null, 'ń', 'ň', 'ǹ'], m: [null, 'ḿ', null, null],
};

// The letter that carries the tone: a or e where present, o of "ou", else the last vowel;
// a syllabic m or n ("m2", "ng2", "hm5") when there is no vowel.
function MarkIndex(letters)
{
    for (const vowel of ['a', 'e'])
        if (letters.includes(vowel))
            return letters.indexOf(vowel);
    if (letters.includes('ou'))
        return letters.indexOf('ou');
    for (let i = letters.length - 1; i >= 0; --i)
        if ('iouü'.includes(letters[i]))
            return i;
    return letters.search(/[mn]/);
}

// One syllable; null when it is not a numbered syllable or its marked letter is one
// `accepts` refuses (then the caller keeps the number).
function MarkSyllable(token, accepts)
{
    const match = /^([a-z:]+)([1-5])$/.exec(token.toLowerCase());
    if (!match)
        return null;
    const letters = match[1].replace(/u:|v/g, 'ü');
    const tone = Number(match[2]);
    if (/[^a-zü]/.test(letters))
        return null;
    if (tone === 5)
        return letters;
    const at = MarkIndex(letters);
    const marks = at < 0 ? undefined : kMarked[letters[at]];
    const mark = marks?.[tone - 1];
    if (!mark || !accepts(mark))
        return null;
    return letters.slice(0, at) + mark + letters.slice(at + 1);
}

// The whole reading; tokens that are no syllable ("A", "4S", ",", "·") stay as they are,
// lower-cased like the rest when they are letters with a tone digit that cannot be marked.
export function ToneMarks(numbered, accepts = () => true)
{
    return numbered.trim().split(/\s+/).map(token => {
        const marked = MarkSyllable(token, accepts);
        if (marked !== null)
            return marked;
        return /^[A-Za-z:]+[1-5]$/.test(token) ? token.toLowerCase().replace(/u:/g, 'ü') : token;
    }).join(' ');
}

// One marked syllable back to CC-CEDICT's numbered form with "v" for ü ("lǜ" -> "lv4",
// "li" -> "li5"); a token that is no syllable ("pH") stays.
export function Numbered(marked)
{
    if (!/^[a-zü\u0300-\u036f]+$/.test(marked.normalize('NFD')))
        return marked;
    let tone = 5;
    for (const [letter, marks] of Object.entries(kMarked))
        marks.forEach((mark, i) => {
            if (mark && marked.includes(mark))
            {
                tone = i + 1;
                marked = marked.replace(mark, letter);
            }
        });
    return `${marked.replace(/ü/g, 'v')}${tone}`;
}
