// Which traditional forms head a general headword's lines and which stand before one
// entry's reading. A form heads the lines only when it is every entry's there: 斗's 鬥 is
// dòu "to fight" alone, 调制's 調制 "to modulate" and 調製 "to concoct" share a reading.
// entries: those with a meaning ({ head, traditional }); writable(form): GBK can write it
// as a headword. Returns formOf(entry) (the entry's own form, or '' where the headword's
// forms say it or it has none) and headForms (headword -> the forms that still head it,
// from traditionalForms).
export function EntryForms(entries, traditionalForms, writable)
{
    const entryForms = new Map();
    for (const entry of entries)
        entryForms.set(entry.head, (entryForms.get(entry.head) ?? new Set()).add(entry.traditional));
    const mixed = new Set([...entryForms].filter(([, forms]) => forms.size > 1).map(([head]) => head));
    const formOf = entry => (mixed.has(entry.head) && entry.traditional !== entry.head &&
                             writable(entry.traditional) ? entry.traditional : '');
    const headForms = new Map([...traditionalForms].map(([head, forms]) => [
        head, mixed.has(head) ? forms.filter(form => !entryForms.get(head).has(form)) : forms]));
    // Headwords whose lines had a form at their head that not every entry has.
    const misheaded = [...mixed].filter(head => (traditionalForms.get(head) ?? [])
        .some(form => entryForms.get(head).has(form))).length;
    return { formOf, headForms, misheaded };
}
