// The build's own rules, run by tools/build-vocabularies before it builds anything
// (node --test tools/data-build/). The files it makes are checked by
// tests/BundledVocabularyTest.cpp.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import fs from 'node:fs';

import { ChemistryRules } from './chemistry.mjs';
import { ApplyCorrections, ReadCorrections } from './corrections.mjs';
import { AdmitHeads, AdmitRounds, CedictWords, CheckAdmittedSummary, Derive, WithAbbreviations } from './glossary.mjs';
import { BuildGbkTable, Gbk } from './gbk.mjs';
import { AddItem, GlossItems, IsFormula, ParsePointer } from './glosses.mjs';
import { kGeneralForm, kMaxLineBytes, kTechnicalForm, LayOut } from './layout.mjs';
import { Numbered, ToneMarks } from './pinyin.mjs';
import { PointerQualifier, VariantAlias } from './variants.mjs';
import { EntryForms } from './entry-forms.mjs';
import { NamesSomeone, SecondForm, SettleForms } from './forms.mjs';
import { SettleReading } from './readings.mjs';
import { Contradiction, WithoutCaseRepeats } from './technical-glosses.mjs';
import { ApplyVerdicts, FixCorrections, ReadVerdicts, ReviewedItems } from './review.mjs';

const gbk = new Gbk(BuildGbkTable());
const byteLength = text => gbk.ByteLength(text);
const Item = (core, pre = '', post = '') => ({ pre, core, post });

test('GBK: what the program can hold, characters with a "|" trail byte among them', () => {
    assert.deepEqual(gbk.Encode('硫酸 a\n'), Buffer.from([0xc1, 0xf2, 0xcb, 0xe1, 0x20, 0x61, 0x0a]));
    assert.deepEqual(gbk.Encode('東鹼'), Buffer.from([0x96, 0x7c, 0xfb, 0x7c]));
    for (const [character, expected] of [['ü', true], ['ǜ', true], ['ö', false], ['\u{20000}', false], ['\t', false]])
        assert.equal(gbk.Has(character), expected, character);
});

test('tone marks', () => {
    const cases = [
        ['liu2 suan1', 'liú suān'], ['lu:4 se4', 'lǜ sè'], ['nu:e4', 'nüè'], ['gou3', 'gǒu'], ['gui4', 'guì'],
        ['Zhong1 guo2', 'zhōng guó'], ['ma5', 'ma'], ['r5', 'r'], ['ng2', 'ńg'], ['4S dian4', '4S diàn'],
        ['san1 C', 'sān C'], ['bu4 guan3 , zhuo1', 'bù guǎn , zhuō'],
    ];
    for (const [numbered, marked] of cases)
        assert.equal(ToneMarks(numbered, mark => gbk.Has(mark)), marked, numbered);
    // A marked letter GBK lacks keeps its number.
    assert.equal(ToneMarks('m4', mark => gbk.Has(mark)), 'm4');
});

test('formulas, and the words that only look like one', () => {
    for (const word of ['H2SO4', 'NaCl', 'Ca(OH)2', 'CH3COOH', 'KAlSi3O8'])
        assert.ok(IsFormula(word), word);
    for (const word of ['OK', 'CPU', 'IPOs', 'WW1', 'F2', 'B2C', 'GeV', 'Xyz2', 'M31', 'CoO'])
        assert.ok(!IsFormula(word), word);
});

test('pointers to other entries', () => {
    const cases = [
        ['variant of 著[zhuo2]', { how: 'variant of', target: '著' }],
        ['old variant of 壯|壮[zhuang4]', { how: 'variant of', target: '壮' }],
        ['see 惠州市[Hui4 zhou1 Shi4]', { how: 'see', target: '惠州市' }],
        ['used in 倒嚼[dao3 jiao4]', { how: 'used in', target: '倒嚼' }],
        ['(Tw) see 百分比[bai3 fen1 bi3]', { how: 'see', target: '百分比' }],
        ['also written 捱|挨', { how: 'also written', target: '挨' }],
        // A pointer with a meaning beside it is a gloss.
        ['variant of 榴槤果|榴梿果, durian fruit', null],
        ['see you next time', null],
    ];
    for (const [gloss, pointer] of cases)
        assert.deepEqual(ParsePointer(gloss), pointer, gloss);
});

test('glosses become items: labels apart, references simplified, characters GBK has', () => {
    const cases = [
        ['(chemistry) amine', [Item('amine', '(chemistry)')]],
        ['sulfuric acid H2SO4', [Item('sulfuric acid', '', 'H2SO4')]],
        ['lit. to eat vinegar; fig. to be jealous', [Item('to eat vinegar', 'lit.'), Item('to be jealous', 'fig.')]],
        ['(Tw) (coll.) cool (loanword)', [Item('cool', '(Tw) (coll.)', '(loanword)')]],
        ['to be (in a place)', [Item('to be', '', '(in a place)')]],
        ['used in 鵜鶘|鹈鹕[ti2 hu2]', [Item('used in 鹈鹕[tí hú]')]],
        ['Taiwan pr. [ling4]', [Item('Taiwan pr. [lìng]')]],
        ['a (b; c) d; e', [Item('a (b; c) d'), Item('e')]],
        ['x|y', [Item('x/y')]],
        ['attosecond (10⁻¹⁸ s)', [Item('attosecond', '', '(10^-18 s)')]],
        ['Göttingen', [Item('Gottingen')]],
        ['(used in names)', [Item('(used in names)')]],
        // A note GBK cannot write goes, not the gloss; a reference GBK can write only in its
        // traditional form keeps that.
        ['emoticon, e.g. (⇀‸↼)', [Item('emoticon')]],
        ['used in 岭巆|岭𫶕[ling2 ying2]', [Item('used in 岭巆[líng yíng]')]],
    ];
    for (const [gloss, items] of cases)
        assert.deepEqual(GlossItems(gloss, gbk), items, gloss);
    assert.equal(GlossItems('the trigram ☰', gbk), null);
});

test('line sets: whole lines, headword and reading repeated, variants and "used in" readings', () => {
    const lineSet = {
        head: '行',
        readings: [
            { pinyin: 'háng', items: [Item('row'), Item('line', '(bound form)')] },
            { pinyin: 'xíng', items: Array.from({ length: 30 }, (_, i) => Item(`to walk ${i}`)) },
            // A "used in" reading starts a short line of its own.
            { pinyin: 'hàng', ownLine: true, items: [Item('used in 树行子[shù hàng zi]')] },
        ],
        aliases: [{ head: 'X', traditional: [], pinyin: '', qualifier: '(erroneous)' },
                  { head: 'Y', traditional: ['Z'], pinyin: 'yī', qualifier: '' }],
    };
    const lines = LayOut(lineSet, kGeneralForm, byteLength);
    // A second reading is kept apart by ";" like any gloss, a label by a blank.
    assert.match(lines[0], /^\|行\|\[háng\]\|row\|; \(bound form\)\|line\|; \[xíng\]\|to walk 0\|;\|to walk 1\|/);
    // A variant keeps its qualifier, traditional form and reading; a "used in" reading
    // comes last, a short line of its own.
    assert.match(lines.at(-2), /\|to walk 29\|; also\|X\| \(erroneous\); also\|Y\|,\|Z\|\[yī\]$/);
    assert.equal(lines.at(-1), '|行|[hàng]|used in 树行子[shù hàng zi]|');
    for (const line of lines)
    {
        assert.ok(byteLength(line) <= kMaxLineBytes, line);
        assert.match(line, /^\|行\|\[(?:háng|xíng|hàng)\]/);
    }

    // Aliases on a fresh line repeat the headword's only reading; traditional forms follow
    // the headword on every line, in both forms.
    const distil = { head: '蒸馏', traditional: ['蒸餾'],
                     aliases: [{ head: '蒸溜', traditional: [], pinyin: '', qualifier: '' }],
                     readings: [{ pinyin: 'zhēng liú', items: [Item('to distill'), Item('distillation', '', 'C2')] }] };
    assert.deepEqual(LayOut({ ...distil, aliases: [] }, kTechnicalForm, byteLength),
                     ['蒸馏 蒸餾 [zhēng liú] to distill; distillation C2']);
    assert.deepEqual(LayOut(distil, kGeneralForm, byteLength),
                     ['|蒸馏|,|蒸餾|[zhēng liú]|to distill|;|distillation|C2; also|蒸溜|']);
    distil.aliases[0].qualifier = `(${'q'.repeat(200)})`;
    assert.match(LayOut(distil, kGeneralForm, byteLength)[1], /^\|蒸馏\|,\|蒸餾\|\[zhēng liú\] also\|蒸溜\| \(q+\)$/);
    // A traditional form heads the lines only when it is every entry's; else each entry's
    // form stands before its reading, a group of its own even where two share a reading,
    // and an entry whose form is the headword's shows none.
    // [entries (head, traditional, pinyin, gloss), forms of the headword, lines]
    const cases = [
        [[['斗', '鬥', 'dòu', 'to fight'], ['斗', '斗', 'dǒu', 'peck']], ['鬥'], ['|斗|[dǒu]|peck|; |鬥|[dòu]|to fight|']],
        [[['调制', '調制', 'tiáo zhì', 'to modulate'], ['调制', '調製', 'tiáo zhì', 'to concoct']], ['調制', '調製'],
         ['|调制|,|調制|[tiáo zhì]|to modulate|; |調製|[tiáo zhì]|to concoct|']],
        [[['蒸馏', '蒸餾', 'zhēng liú', 'to distill'], ['蒸馏', '蒸餾', 'zhēng liú', 'distillation']], ['蒸餾'],
         ['|蒸馏|,|蒸餾|[zhēng liú]|to distill|;|distillation|']],
    ];
    for (const [rows, forms, expected] of cases)
    {
        const entries = rows.map(([head, traditional, pinyin, gloss]) => ({ head, traditional, pinyin, gloss }));
        const head = entries[0].head;
        const { formOf, headForms } = EntryForms(entries, new Map([[head, forms]]), () => true);
        const lineSet = { head, traditional: headForms.get(head), aliases: [], readings: [] };
        for (const entry of entries)
        {
            const form = formOf(entry);
            let reading = lineSet.readings.find(r => r.pinyin === entry.pinyin && r.form === form);
            if (!reading)
                lineSet.readings.push(reading = { pinyin: entry.pinyin, form, items: [] });
            reading.items.push(Item(entry.gloss));
        }
        assert.deepEqual(LayOut(lineSet, kGeneralForm, byteLength), expected);
    }
});

test('a gloss longer than a line goes on at a phrase boundary, never inside brackets or a reference', () => {
    const words = n => Array.from({ length: n }, (_, i) => `w${i}`).join(' ');
    // [gloss, what some line must hold]
    const cases = [
        // After a clause rather than inside a reference.
        [`${words(30)}, ${words(20)} 德[dé dé dé dé], ${words(25)}`, /\], …\n… w0 w1/],
        // Before a reference whose reading runs past the line's end.
        [`${words(40)} 德[${'dé '.repeat(30)}dé] ${words(25)}`, /w39 …\n… 德\[dé/],
        // Before a note rather than inside it.
        [`${words(40)} (${words(20)} 言[yán]) ${words(8)}`, /w39 …\n… \(w0 w1/],
        // A note longer than a line is closed and opened again: every line's brackets pair.
        [`x (${words(90)})`, / …\)\n\(… w\d+/],
    ];
    for (const [gloss, expected] of cases)
    {
        const lineSet = { head: '功', traditional: [], aliases: [],
                          readings: [{ pinyin: 'gōng', items: [Item(gloss)] }] };
        const lines = LayOut(lineSet, kGeneralForm, byteLength);
        const pieces = lines.map(line => line.replace('|功|[gōng] ', ''));
        assert.ok(pieces.length >= 2, gloss);
        assert.match(pieces.join('\n'), expected);
        // Pieces hold no bars: none reads as a gloss of its own; marks say where it goes on.
        assert.deepEqual(pieces.map(piece => piece.includes('|')), pieces.map(() => false));
        for (const [i, piece] of pieces.entries())
        {
            assert.ok(byteLength(lines[i]) <= kMaxLineBytes);
            assert.equal(/^\(*… /.test(piece), i > 0, piece);
            assert.equal(/ …\)*$/.test(piece), i < pieces.length - 1, piece);
            for (const [open, close] of ['()', '[]'])
                assert.equal(piece.split(open).length, piece.split(close).length, piece);
        }
        // Nothing lost or added but the marks.
        assert.equal(pieces.join(' ').replace(/ …\)* \(*… /g, ' '), gloss);
    }
});

test('what a reading keeps: labelled twins, variants as aliases with their qualifier', () => {
    // [items in order, plainTwins, kept]
    const cases = [
        [[Item('alarm', '(fire)'), Item('alarm')], true, [Item('alarm', '(fire)'), Item('alarm')]],
        [[Item('alarm', '(fire)'), Item('alarm')], false, [Item('alarm', '(fire)')]],
        [[Item('alarm'), Item('alarm'), Item('alarm', '(fire)')], true, [Item('alarm'), Item('alarm', '(fire)')]],
    ];
    for (const [items, plainTwins, kept] of cases)
    {
        const list = [];
        const seen = new Set();
        for (const item of items)
            AddItem(list, seen, item, plainTwins);
        assert.deepEqual(list, kept, JSON.stringify(items));
    }
    for (const [gloss, qualifier] of [['erroneous variant of 垃圾[la1 ji1]', '(erroneous)'], ['see 惠州市[Hui4 zhou1 Shi4]', ''],
                                      ['(Internet slang) emphatic variant of 呆[dai1]', '(Internet slang) (emphatic)'],
                                      ['nonstandard simplified variant of 槼|规[gui1]', '(nonstandard simplified)'],
                                      [undefined, '']])
        assert.equal(PointerQualifier(gloss), qualifier, gloss);
    // The variant's reading goes with it unless the headword has that one reading only.
    const target = readings => ({ head: '垃圾', traditional: [], aliases: [], readings: readings.map(pinyin => ({ pinyin })) });
    const variant = { head: '拉圾', traditional: '拉圾', pinyin: 'lā jī' };
    const gloss = 'erroneous variant of 垃圾[la1 ji1]';
    assert.deepEqual(VariantAlias(variant, gloss, target(['lā jī']), () => true),
                     { head: '拉圾', traditional: [], pinyin: '', qualifier: '(erroneous)' });
    assert.equal(VariantAlias(variant, gloss, target(['lā jī', 'lè sè']), () => true).pinyin, 'lā jī');
    assert.deepEqual(VariantAlias({ ...variant, traditional: '拉圾X' }, gloss, target(['x']), () => true).traditional,
                     ['拉圾X']);
});

test('chemistry: labels, terms and characters in, false friends out', () => {
    const rules = new ChemistryRules([Item('medicine'), Item('medicine'), Item('despite')]);
    const Gloss = (...items) => items;
    // [headword, glosses (the items of each source gloss), in?, capitalised reading?]
    const cases = [
        ['硫酸', [Gloss(Item('sulfuric acid', '', 'H2SO4'))], true],
        ['醇', [Gloss(Item('alcohol'))], true],
        ['甲烷', [Gloss(Item('methane', '', 'CH4'))], true],
        ['酯酶', [Gloss(Item('esterase'))], true],
        ['酸痛', [Gloss(Item('to ache'))], false],
        ['醇厚', [Gloss(Item('mellow and rich'))], false],
        ['吩咐', [Gloss(Item('to tell'))], false],
        ['酸溜溜', [Gloss(Item('sour')), Gloss(Item('acid'))], false],
        ['审查', [Gloss(Item('to examine'))], false],
        ['氢弹', [Gloss(Item('hydrogen bomb'))], false],
        ['宅配', [Gloss(Item('delivery service, primarily C2C and B2C'))], false],
        // Metals whose names mean other things too, by their own characters only.
        ['铁', [Gloss(Item('iron', '', '(metal)')), Gloss(Item('arms'))], true],
        ['银', [Gloss(Item('silver'))], true],
        ['烙铁', [Gloss(Item('iron'))], false],
        ['领导', [Gloss(Item('lead'))], false],
        // Eponyms and trade names in; people out.
        ['本生灯', [Gloss(Item('Bunsen burner'))], true, true],
        ['铁氟龙', [Gloss(Item('Teflon', '(Tw)', '(loanword)'))], true, true],
        ['门捷列夫', [Gloss(Item('Dmitri Mendeleev', '', '(1834-1907), Russian chemist'))], false, true],
        // Reviewed by hand: in without a chemical word, out despite one.
        ['漏斗', [Gloss(Item('funnel'))], true],
        ['水', [Gloss(Item('to swim'))], false],
        ['插管', [Gloss(Item('to intubate', '(medicine)'))], false],
        ['医药商店', [Gloss(Item('chemist'))], false],
        // A figure of speech is out as a whole, wherever its note stands.
        ['近朱者赤，近墨者黑', [Gloss(Item('those who handle cinnabar are stained red'),
                                    Item('those who work with ink are stained black', '', '(idiom)'))], false],
    ];
    for (const [head, glosses, expected, proper = false] of cases)
        assert.equal(rules.ChemistryItems(head, proper, glosses).length > 0, expected, head);
    // Only the chemistry glosses go with an entry; a label speaks for every item of its gloss.
    assert.deepEqual(rules.ChemistryItems('丁', false, [[Item('male adult')], [Item('butyl', '(chemistry)')]]),
                     [Item('butyl', '(chemistry)')]);
    assert.deepEqual(rules.ChemistryItems('沉淀', false, [[Item('to settle', '(chemistry)'), Item('to precipitate')],
                                                       [Item('to take shape gradually', '(fig.)')]]),
                     [Item('to settle', '(chemistry)'), Item('to precipitate')]);
    assert.deepEqual(rules.ChemistryItems('某', true, [[Item('sodium chloride', '', '(name)')]]), []);
});

test('source corrections: each applies exactly once or the build stops', () => {
    const Source = () => [['丙酮', '丙酮', 'bing3 tong2', 'acetone CH3COCH', [], []],
                          ['醛基', '醛基', 'quan2 ji1', ['aldehyde group -COH', 'x -COH'], [], []]];
    const Fix = (head, wrong, right) => ({ head, wrong, right, reason: 'r', line: 1 });
    const source = Source();
    ApplyCorrections(source, [Fix('丙酮', 'CH3COCH', 'CH3COCH3'), Fix('醛基', 'group -COH', 'group -CHO')]);
    assert.deepEqual([source[0][3], source[1][3]], ['acetone CH3COCH3', ['aldehyde group -CHO', 'x -COH']]);
    // A whole gloss is named by its text though others hold it too; an empty right text removes it.
    const ion = [['電離', '电离', 'dian4 li2', ['ion', 'ionized'], [], []]];
    ApplyCorrections(ion, [Fix('电离', 'ion', 'ionization'), Fix('电离', 'ionized', '')]);
    assert.deepEqual(ion[0][3], ['ionization', '']);
    // Gone from the source, found twice, or only under another headword: stop.
    for (const fix of [Fix('丙酮', 'C3H6O', 'x'), Fix('醛基', '-COH', '-CHO'), Fix('醛基', 'CH3COCH', 'x')])
        assert.throws(() => ApplyCorrections(Source(), [fix]), /found [02] times/, fix.wrong);
    // The committed list: four fields a line, each right text differing from its wrong one.
    const committed = ReadCorrections(fs.readFileSync(new URL('../../data/corrections.tsv', import.meta.url), 'utf8'));
    assert.ok(committed.length >= 4);
    assert.throws(() => ReadCorrections('丙酮\tCH3COCH\tCH3COCH'), /corrections line 1/);
});

test('glossary: admitted by agreement or settlement, round by round, other names where both lists give them; ' +
     'pinyin and traditional from CC-CEDICT words', () => {
    const terms = [['reflux ratio', 'u'], ['conversion', 'r'], ['yield', 'r'], ['flooding', 'u'], ['weeping', 'u'],
                   ['(x)', 'u']];
    const one = new Map([['reflux ratio', '回流比'], ['conversion', '转化率'], ['yield', '产率'], ['flooding', '液泛'],
                         ['weeping', ''], ['(x)', '（甲）']]);
    const two = new Map([['reflux ratio', '回流比'], ['conversion', '转化 率'], ['yield', '收率'], ['flooding', '淹塔'],
                         ['weeping', ''], ['(x)', '(甲)']]);
    const settled = new Map([['yield', '收率'], ['flooding', '']]);
    // Round two keys new terms the same way; its synonym lists name round one's lines as
    // "English; English<TAB>Chinese". [row, synonyms-1, synonyms-2]: a name is in only where
    // both give it for that line, never as the line's own headword.
    const lists = [
        ['reflux ratio\t回流比', '回流比率;回流比值', '回流比值'],
        ['conversion\t转化率', '转化率', '转化率'],
        ['yield\t收率', '产率', ''],
        ['(x)\t(甲)', '乙；丙', ' 丙;丁'],
    ];
    const Synonyms = column => lists.map(([row, ...names]) => [...row.split('\t'), names[column]]);
    const round2 = { terms: [['molarity', 'p'], ['setpoint', 'c'], ['stirring rod', 'l']],
                     keying1: new Map([['molarity', '物质的量浓度'], ['setpoint', '设定值'], ['stirring rod', '玻璃棒']]),
                     keying2: new Map([['molarity', '物质的量浓度'], ['setpoint', '给定值'], ['stirring rod', '搅拌棒']]),
                     settled: new Map([['setpoint', '设定值']]), synonyms: [Synonyms(0), Synonyms(1)] };
    const { admitted, rounds } = AdmitRounds([{ terms, keying1: one, keying2: two, settled }, round2]);
    assert.deepEqual(admitted.map(t => `${t.english}=${t.simplified}:${t.round} ${t.how}${t.of ? ` of ${t.of}` : ''}`),
                     ['reflux ratio=回流比:1 keyed-agree', 'conversion=转化率:1 keyed-agree', 'yield=收率:1 settled',
                      '(x)=(甲):1 keyed-agree', 'molarity=物质的量浓度:2 keyed-agree', 'setpoint=设定值:2 settled',
                      'reflux ratio=回流比值:2 synonym of 回流比', '(x)=丙:2 synonym of (甲)']);
    assert.deepEqual([rounds[0].settledDropped, rounds[0].unknown, rounds[1].disagreed], [1, 1, 1]);
    // A list that no longer matches the lines it names, or that holds what no name can: stop.
    const Stale = (row, names) => [[...row.split('\t'), names]];
    for (const [row, names] of [['yield; output\t收率', '产量'], ['reflux ratio\t回流比', '回流/比']])
        assert.throws(() => AdmitRounds([{ terms, keying1: one, keying2: two, settled },
                                         { ...round2, synonyms: [Stale(row, names), Stale(row, names)] }]),
                      /synonym/, row);

    // 率 is lǜ in two words and shuài in one; 回流 and 银行 are words, so 回 and 行 never stand alone.
    const cedict = new CedictWords([
        ['回流', '回流', 'hui2 liu2', 'reflux'], ['比', '比', 'bi3', 'ratio'], ['回', '回', 'hui2', 'to return'],
        ['流', '流', 'liu2', 'to flow'], ['轉化', '转化', 'zhuan3 hua4', 'to transform'],
        ['率', '率', 'shuai4', 'to lead'], ['率', '率', 'lu:4', 'rate'], ['效率', '效率', 'xiao4 lu:4', 'efficiency'],
        ['頻率', '频率', 'pin2 lu:4', 'frequency'], ['率領', '率领', 'shuai4 ling3', 'to lead'],
        ['幹', '干', 'gan4', 'to do'], ['乾', '干', 'gan1', 'dry'], ['乾燥', '干燥', 'gan1 zao4', 'dry'],
        ['幹部', '干部', 'gan4 bu4', 'cadre'], ['乾杯', '干杯', 'gan1 bei1', 'cheers'], ['器', '器', 'qi4', 'device'],
        ['銀', '银', 'yin2', 'silver'], ['行', '行', 'xing2', 'to walk'], ['銀行', '银行', 'yin2 hang2', 'bank'],
    ]);
    const cases = [
        ['回流比', { pinyin: 'huí liú bǐ', traditional: '', chosen: [] }],
        ['转化率', { pinyin: 'zhuǎn huà lǜ', traditional: '轉化率', chosen: ['率 lǜ'] }],
        ['干器', { pinyin: 'gān qì', traditional: '乾器', chosen: ['干 gān', '干 乾'] }],
        ['pH比', { pinyin: 'pH bǐ', traditional: '', chosen: [] }],
        ['银行', { pinyin: 'yín háng', traditional: '銀行', chosen: [] }],
        ['回氦', null],
    ];
    for (const [term, expected] of cases)
    {
        const derived = Derive(term, cedict, new Map(), () => true);
        assert.deepEqual(derived && { pinyin: derived.pinyin, traditional: derived.traditional,
                                      chosen: derived.choices.map(c => `${c.word} ${c.value}`) }, expected, term);
    }
    // A reviewed reading overrides the count for a character standing alone.
    assert.equal(Derive('转化率', cedict, new Map([['率', 'shuai4']])).pinyin, 'zhuǎn huà shuài');
});

test('cuts at word boundaries, and names keep the characters that stand for a sound', () => {
    const W = (simplified, pinyin, traditional = simplified) => [traditional, simplified, pinyin, 'x'];
    const cedict = new CedictWords([
        W('多', 'duo1'), W('相', 'xiang1'), W('相', 'xiang4'), W('反', 'fan3'), W('应', 'ying4', '應'),
        W('相反', 'xiang1 fan3'), W('反应', 'fan3 ying4', '反應'), W('均', 'jun1'), W('分子', 'fen1 zi3'),
        W('间', 'jian1', '間'), W('作用力', 'zuo4 yong4 li4'), W('间作', 'jian4 zuo4', '間作'), W('用力', 'yong4 li4'),
        W('最', 'zui4'), W('小', 'xiao3'), W('传', 'chuan2', '傳'), W('热', 're4', '熱'), W('小传', 'xiao3 zhuan4', '小傳'),
        W('传热', 'chuan2 re4', '傳熱'), W('温差', 'wen1 cha1', '溫差'), W('容量', 'rong2 liang4'), W('瓶', 'ping2'),
        W('容', 'rong2'), W('量瓶', 'liang2 ping2'), W('方程', 'fang1 cheng2'), W('德', 'de2'), W('华', 'hua2', '華'),
        W('范', 'fan4', '範'), W('范', 'Fan4'), W('范', 'fan4', '範'), W('范仲淹', 'Fan4 Zhong4 yan1'),
    ]);
    const reviewed = new Map([['相', 'xiang4']]);
    const known = new Map([['传热', { numbered: 'chuan2 re4', traditional: '傳熱', formReviewed: [false, false] }]]);
    const cases = [
        // A word that straddles two others loses (相反); the reviewed 相 "phase" is a word.
        ['多相反应', 'duō xiàng fǎn yìng', '多相反應'], ['均相反应', 'jūn xiàng fǎn yìng', '均相反應'],
        ['分子间作用力', 'fēn zǐ jiān zuò yòng lì', '分子間作用力'],  // long words, not 间作|用力
        ['最小传热温差', 'zuì xiǎo chuán rè wēn chā', '最小傳熱溫差'],  // the glossary's term 传热
        ['容量瓶', 'róng liàng píng', '容量瓶'],  // the longer word first
    ];
    for (const [term, pinyin, traditional] of cases)
    {
        const derived = Derive(term, cedict, reviewed, () => true, new Map(), known);
        assert.deepEqual([derived.pinyin, derived.traditional || term], [pinyin, traditional], term);
    }
    // In a name 范 "van" keeps its form, as in CC-CEDICT's names; elsewhere it is 範 "pattern".
    assert.equal(Derive('范德华方程', cedict, reviewed, () => true, new Map(), known, true).traditional, '范德華方程');
    assert.equal(Derive('范德华方程', cedict, reviewed, () => true, new Map(), known, false).traditional, '範德華方程');
});

test('second opinions: OpenCC on traditional forms, pinyin-pro on readings, each disagreement settled', () => {
    // A stand-in for OpenCC: character by character, with the phrases given.
    const Convert = (characters, phrases = {}) => text => {
        let out = text;
        for (const [s, t] of Object.entries(phrases))
            out = out.replaceAll(s, t);
        return [...out].map(c => characters[c] ?? c).join('');
    };
    const convert = Convert({ 碱: '鹼', 范: '範', 卤: '滷', 复: '復', 应: '應', 干: '幹' },
                            { 复分解: '複分解', 回流: '迴流', 范德华: '範德華' });
    const Settle = (head, forms, options = {}) => {
        const result = SettleForms({ head, forms, inWord: [...head].map(() => true), second: SecondForm(head, convert),
                                     ...options });
        return `${result.forms.join(' ')}:${result.rules.join(',')}`;
    };
    const cases = [
        // One character: the usual form first, a rare variant only beside it.
        [['醇', ['醕']], ':single'], [['碱', ['鹻']], '鹼 鹻:single'],
        // A name keeps the character that stands for a sound, whichever side has it.
        [['范德华力', ['范德華力'], { name: true }], '范德華力:name'],
        [['布雷', ['佈雷'], { name: true }], ':name'],
        // A word beats a character converted alone; OpenCC's lone 卤 is "brine".
        [['卤代烷', ['鹵代烷']], '鹵代烷:word'],
        [['干度', ['乾度'], { inWord: [false, false] }], '乾度:open'],
        // Both from words: open, OpenCC's phrase first and CC-CEDICT's beside it.
        [['回流', []], '迴流:open'], [['复分解反应', ['復分解反應']], '複分解反應 復分解反應:open'],
        [['复分解', ['复分解'], { reviewed: '複分解' }], '複分解:reviewed'],
        [['硫酸', []], ':'],
    ];
    for (const [[head, forms, options], expected] of cases)
        assert.equal(Settle(head, forms, options), expected, head);
    assert.ok(NamesSomeone('van der Waals force') && NamesSomeone('Zaitsev rule') && !NamesSomeone('pH meter'));

    // Readings: [ours, theirs] per character as { syllable, inWord, pieces, field, reviewed }.
    const C = (syllable, inWord = false, pieces = 1, extra = {}) => ({ syllable, inWord, pieces, ...extra });
    const readings = [
        [[C('xiàng', false, 3, { reviewed: true })], [C('xiāng', true, 2)], 'xiàng:reviewed'],
        [[C('chuán', true, 3, { field: true })], [C('zhuàn', true, 4)], 'chuán:field'],
        [[C('zhòng')], [C('chóng', true)], 'chóng:word'],
        [[C('chuán', true, 3)], [C('zhuàn', true, 4)], 'chuán:fewer'],
        [[C('diào')], [C('tiáo')], 'diào:open'], [[C('liáng', true, 2)], [C('liàng', true, 2)], 'liàng:open'],
        [[C('gē')], [C(null)], 'agree'], [[C('lǜ')], [C('lǜ', true)], 'agree'],
    ];
    for (const [ours, theirs, expected] of readings)
    {
        const result = SettleReading(ours, theirs);
        assert.equal(result ? `${result.syllables.join(' ')}:${result.rules.join(',')}` : 'agree', expected, expected);
    }
    assert.deepEqual(['lǜ', 'li', 'xiàng', 'pH'].map(Numbered), ['lv4', 'li5', 'xiang4', 'pH']);
});

test('merged glosses: what contradicts the glossary\'s English goes', () => {
    const cases = [
        [Item('pyrazine', '', 'C4H4N2'), ['pyridazine'], 'confusable'], [Item('absorbent'), ['adsorbent'], 'confusable'],
        [Item('Styrene'), ['styrene'], 'repeats'], [Item('Petri dish'), ['petri dish'], null],
        [Item('manganese(iv) oxide'), ['manganese(IV) oxide'], 'repeats'],
        [Item('actinoids, namely: uranium U92 铀[yóu]'), ['actinide'], 'explains'],
        [Item('sulfuric acid', '', 'H2SO4'), ['sulfuric acid'], null], [Item('caustic soda'), ['sodium hydroxide'], null],
    ];
    for (const [item, english, expected] of cases)
        assert.equal(Contradiction(item, english), expected, item.core);
    const petri = { readings: [{ items: [Item('Petri dish')] }] };
    assert.deepEqual(WithoutCaseRepeats(['petri dish', 'culture dish'], petri), ['culture dish']);
});

test('review verdicts: a fix becomes corrections of the source, a drop an exclusion', () => {
    const Source = () => [['丁', '丁', 'ding1', ['male adult', '(chemistry) butyl; butene'], [], []],
                          ['戊', '戊', 'wu4', 'pentasorbital (a sedative)', [], []],
                          ['尖酸', '尖酸', 'jian1 suan1', 'acid', [], []], ['新', '新', 'xin1', 'meso-', [], []]];
    const lines = ['丁 [dīng] (chemistry) butyl; butene', '戊 [wù] pentasorbital (a sedative)', '尖酸 [jiān suān] acid',
                   '新 [xīn] meso-'];
    const verdicts = ReadVerdicts(['1\t丁\tfix\t(chemistry) butyl\tagree\tbutene is 丁烯', '2\t戊\tfix\tpentobarbital\t' +
                                   'third-look\ttypo', '3\t尖酸\tdrop\t\tagree\toff-topic', '4\t新\tkeep\t\tagree\t'].join('\n'));
    const { corrections, excluded, unapplied, counts } = ApplyVerdicts(verdicts, lines, Source(), gbk);
    assert.deepEqual(corrections.map(c => `${c.head}:${c.wrong}>${c.right}`), ['丁:; butene>', '戊:pentasorbital (a sedative)>pentobarbital']);
    assert.deepEqual([excluded.map(e => e.head), unapplied, counts.fix, counts.thirdLook], [['尖酸'], [], 2, 1]);
    const source = Source();
    ApplyCorrections(source, corrections);
    assert.deepEqual([source[0][3], source[1][3]], [['male adult', '(chemistry) butyl'], 'pentobarbital']);
    // A fix whose glosses the source no longer has is reported, not guessed.
    assert.equal(typeof FixCorrections('丁', ['gone'], ['x'], Source(), gbk, 'r'), 'string');
    assert.throws(() => ReadVerdicts('5\t丁\tfix\t\tagree\tx'), /without its English/);
    // A fixed line shows what its review names, though the rules no longer choose it; a dropped one nothing.
    const review = { excluded: new Map([['尖酸', 'r']]), fixed: new Map([['泡罩塔', ['bubble-cap column']]]) };
    assert.deepEqual(ReviewedItems('泡罩塔', [], [Item('bubble-cap column'), Item('bubble tower')], review, kTechnicalForm.Item),
                     [Item('bubble-cap column')]);
    assert.deepEqual(ReviewedItems('尖酸', [Item('acid')], [Item('acid')], review, kTechnicalForm.Item), []);
});

test('round three: heads keyed from Chinese, abbreviations on their terms\' lines, the summary checked', () => {
    const k1 = new Map([['平衡', 'equilibrium; balance'], ['电池', 'cell; battery'], ['管', ''], ['器', ''], ['板', 'plate']]);
    const k2 = new Map([['平衡', 'equilibrium'], ['电池', 'battery; cell'], ['管', 'pipe'], ['器', ''], ['板', 'tray']]);
    const { admitted, counts } = AdmitHeads(k1, k2, new Map([['管', 'pipe; tube'], ['板', '']]), 'general');
    assert.deepEqual(admitted.map(t => `${t.simplified}=${t.english} ${t.how}`),
                     ['平衡=equilibrium keyed-agree', '电池=cell keyed-agree', '电池=battery keyed-agree',
                      '管=pipe settled', '管=tube settled']);
    assert.deepEqual([counts.unknown, counts.settledDropped], [1, 1]);
    const terms = [['plug flow reactor', 'r', 'PFR'], ['weir', 'u', '']];
    const keyed = [{ english: 'plug flow reactor', simplified: '平推流反应器', how: 'keyed-agree' },
                   { english: 'weir', simplified: '堰', how: 'keyed-agree' }];
    const all = [...WithAbbreviations(keyed, terms), ...admitted];
    assert.deepEqual(all.slice(0, 3).map(t => `${t.simplified}=${t.english}`), ['平推流反应器=plug flow reactor',
                                                                                 '平推流反应器=PFR', '堰=weir']);
    const summary = [['平推流反应器', 'plug flow reactor', 'PFR'], ['堰', 'weir', ''], ['平衡', 'equilibrium'],
                     ['电池', 'cell; battery'], ['管', 'pipe; tube']];
    CheckAdmittedSummary(summary, all);
    assert.throws(() => CheckAdmittedSummary([...summary, ['板', 'plate']], all), /only in the summary 板/);
});
