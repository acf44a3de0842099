// GBK as the program's files hold it: a character goes in only when glibc's iconv and the
// WHATWG decoder agree on its two-byte code, so any converter the window or a user's
// terminal might use reads the same text back. User-defined (private use) codes are left
// out: glibc does not map them and no font agrees on them. Characters whose second byte is
// 0x7C ("|": 東 967C, 鹼 FB7C) are in: the program reads a line character by character, so
// only a "|" that stands alone separates fields or shows as a blank.
import { execFileSync } from 'node:child_process';

const kAsciiLast = 0x7e;

function* TwoByteCodes()
{
    for (let lead = 0x81; lead <= 0xfe; ++lead)
        for (let trail = 0x40; trail <= 0xfe; ++trail)
            if (trail !== 0x7f)
                yield [lead, trail];
}

// Map from each representable non-ASCII character to its two GBK bytes.
export function BuildGbkTable()
{
    const codes = [...TwoByteCodes()];
    // One code a line, so a code iconv cannot convert leaves an empty line behind.
    const input = Buffer.alloc(codes.length * 3);
    codes.forEach(([lead, trail], i) => input.set([lead, trail, 0x0a], 3 * i));
    let converted;
    try
    {
        converted = execFileSync('iconv', ['-c', '-f', 'GBK', '-t', 'UTF-8'],
                                 { input, maxBuffer: 1 << 26, stdio: ['pipe', 'pipe', 'ignore'] });
    }
    catch (error)
    {
        // -c still reports the codes it skipped through its exit status; the output is whole.
        if (!error.stdout)
            throw new Error(`iconv could not convert GBK: ${error.message}`);
        converted = error.stdout;
    }
    const lines = converted.toString('utf8').split('\n');
    if (lines.length !== codes.length + 1)
        throw new Error(`iconv GBK table: expected ${codes.length} lines, got ${lines.length - 1}`);

    const decoder = new TextDecoder('gbk');
    const table = new Map();
    codes.forEach((code, i) => {
        const text = decoder.decode(Uint8Array.from(code));
        if (text !== lines[i] || [...text].length !== 1 || /[\p{Co}\uFFFD]/u.test(text))
            return;
        if (!table.has(text))
            table.set(text, code);
    });
    if (table.size < 20000)
        throw new Error(`GBK table has only ${table.size} characters: is iconv's GBK module installed?`);
    return table;
}

export class Gbk
{
    constructor(table) { this.table = table; }

    // Printable ASCII and the characters of the table; no control byte ever goes in.
    Has(character)
    {
        const code = character.codePointAt(0);
        return (code >= 0x20 && code <= kAsciiLast) || this.table.has(character);
    }

    Represents(text)
    {
        for (const character of text)
            if (!this.Has(character))
                return false;
        return true;
    }

    // The GBK bytes of a text; throws on a character GBK lacks or a control byte other
    // than LF, so nothing unrepresentable reaches a file unnoticed.
    Encode(text)
    {
        const bytes = [];
        for (const character of text)
        {
            if (character === '\n')
                bytes.push(0x0a);
            else if (this.table.has(character))
                bytes.push(...this.table.get(character));
            else if (this.Has(character))
                bytes.push(character.codePointAt(0));
            else
                throw new Error(`not representable in GBK: U+${character.codePointAt(0).toString(16)} ` +
                                `in ${JSON.stringify(text.slice(0, 80))}`);
        }
        return Buffer.from(bytes);
    }

    ByteLength(text)
    {
        let n = 0;
        for (const character of text)
            n += character.codePointAt(0) <= kAsciiLast ? 1 : 2;
        return n;
    }
}
