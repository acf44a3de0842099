// Which source entries belong to the technical vocabulary (chemistry and chemical
// engineering). An entry is in when the source labels it so, or when its glosses name a
// chemical thing outright, or when its headword is built from chemistry characters and its
// glosses agree; false friends of those characters (酸痛 "aching", 醇厚 "mellow", 吩咐
// "to instruct") are kept out by requiring that agreement.
import { IsFormula } from './glosses.mjs';

// Source labels that place an entry in the field.
const kLabelRe = new RegExp('\\((?:[^()]{0,30}[,;] )?(?:' + [
    'chemistry', 'chem\\.', 'biochemistry', 'organic chemistry', 'inorganic chemistry',
    'chemical engineering', 'petrochemical engineering', 'petrochemistry', 'geochemistry', 'photochemistry',
    'mineralogy', 'metallurgy',
].join('|') + ')(?:[,;] [^()]{0,30})?\\)', 'i');

// The endings of names of ions and salts ("sulfate", "hydrogencarbonate") and of organic
// compounds ("methane", "dichloromethane").
const kIonNames = [
    'chloride', 'bromide', 'iodide', 'fluoride', 'oxide', 'sulfide', 'sulphide', 'sulfate', 'sulphate',
    'sulfite', 'nitrate', 'nitrite', 'nitride', 'phosphate', 'phosphite', 'phosphide', 'carbonate',
    'carbide', 'silicate', 'acetate', 'cyanide', 'cyanate', 'chromate', 'permanganate', 'manganate',
    'chlorate', 'chlorite', 'borate', 'hydride', 'halide', 'oxalate', 'citrate', 'benzoate', 'stearate',
    'arsenate', 'arsenide', 'selenide', 'telluride', 'titanate', 'aluminate', 'azide', 'sulfonate',
    'hydroxide', 'peroxide',
];
const kOrganicNames = [
    'methane', 'ethane', 'propane', 'butane', 'pentane', 'hexane', 'heptane', 'octane', 'ethylene',
    'propylene', 'butylene', 'butadiene', 'acetylene', 'benzene', 'toluene', 'xylene', 'naphthalene',
    'anthracene', 'phenol', 'ethanol', 'methanol', 'propanol', 'butanol', 'glycol', 'glycerol', 'glycerin',
    'glycerine', 'acetone', 'aldehyde', 'pyridine', 'pyrimidine', 'purine', 'pyrrole', 'furan', 'thiophene',
    'imidazole', 'indole', 'quinoline', 'azole', 'azine', 'amine', 'amide', 'nitrile', 'isocyanate',
    'cellulose', 'chloroform', 'formalin', 'styrene', 'phenolphthalein',
];

// Words that name a chemical thing whatever the headword.
const kStrongTerms = [
    // elements whose names mean nothing else
    'hydrogen', 'helium', 'lithium', 'beryllium', 'boron', 'nitrogen', 'oxygen', 'fluorine', 'sodium',
    'magnesium', 'aluminum', 'aluminium', 'phosphorus', 'sulfur', 'sulphur', 'chlorine', 'argon',
    'potassium', 'calcium', 'scandium', 'titanium', 'vanadium', 'chromium', 'manganese', 'zinc', 'gallium',
    'germanium', 'arsenic', 'selenium', 'bromine', 'krypton', 'rubidium', 'strontium', 'yttrium',
    'zirconium', 'niobium', 'molybdenum', 'technetium', 'ruthenium', 'rhodium', 'palladium', 'cadmium',
    'indium', 'antimony', 'tellurium', 'iodine', 'xenon', 'cesium', 'caesium', 'barium', 'lanthanum',
    'cerium', 'praseodymium', 'neodymium', 'promethium', 'samarium', 'europium', 'gadolinium', 'terbium',
    'dysprosium', 'holmium', 'erbium', 'thulium', 'ytterbium', 'lutetium', 'hafnium', 'tantalum',
    'tungsten', 'rhenium', 'osmium', 'iridium', 'thallium', 'bismuth', 'polonium', 'astatine', 'radon',
    'francium', 'radium', 'actinium', 'thorium', 'protactinium', 'uranium', 'neptunium', 'plutonium',
    'americium', 'curium', 'berkelium', 'californium', 'einsteinium', 'fermium', 'mendelevium', 'nobelium',
    'lawrencium',
    // ions, salts and compound classes
    `[\\w-]*(?:${kIonNames.join('|')})s?`,
    'halogens?', 'ammonia', 'ammonium', 'cyanogen', 'alkali', 'alkalis', 'alkaline', 'alkalinity', 'acids?',
    'acidic', 'acidity', 'anhydrides?', 'carbonic', 'ferric', 'ferrous', 'cupric', 'cuprous', 'mercuric',
    'mercurous', 'stannous', 'stannic', 'plumbic', 'arsenous', 'sulfurous', 'sulfuric', 'nitric', 'nitrous',
    'hydrochloric', 'phosphoric', 'caustic soda', 'caustic potash', 'soda ash', 'quicklime', 'slaked lime',
    'vitriol', 'alum', 'borax', 'saltpeter', 'saltpetre', 'gypsum', 'lye',
    // organic chemistry
    'alkanes?', 'alkenes?', 'alkynes?', 'alkyl', 'aryl', 'aldehydes?', 'ketones?', 'esters?', 'ethers?',
    'amines?', 'amides?', 'imides?', 'phenols?', 'hydrocarbons?', 'carboxyl', 'carboxylic', 'hydroxyl',
    'carbonyl', 'methyl', 'ethyl', 'propyl', 'butyl', 'phenyl', 'benzyl', 'acetyl', 'vinyl', 'methoxy',
    'ethoxy', 'amino', 'nitro', 'azo', 'thiol', 'sulfone', 'quinones?',
    `[\\w-]*(?:${kOrganicNames.join('|')})s?`,
    '[\\w-]*(?:hydrocarbons?|fluorocarbons?)', 'ozone', 'oxyhydrogen', 'camphor', 'deoxidation',
    'deoxidize', 'phosphorescence', 'fluorescence', 'luminescence', 'aromatic hydrocarbons?',
    'organic compounds?', 'inorganic compounds?', 'chemical compounds?', 'heterocyclic', 'benzene ring',
    // biochemistry
    'amino acids?', 'fatty acids?', 'nucleic acids?', 'nucleotides?', 'nucleosides?', 'peptides?',
    'polypeptides?', 'enzymes?', 'coenzymes?', 'proteins?', 'lipids?', 'phospholipids?', 'carbohydrates?',
    '[\\w-]*saccharides?', 'glucose', 'fructose', 'sucrose', 'lactose', 'maltose', 'galactose', 'ribose',
    'deoxyribose', 'glycogen', 'glucosides?', 'glycosides?', 'alkaloids?', 'steroids?', 'sterols?',
    'terpenes?', 'cholesterol', 'vitamins?',
    // structure, reactions and physical chemistry
    'chemical', 'chemicals', 'chemically', 'chemistry', 'biochemical', 'molecules?', 'molecular',
    'macromolecules?', 'atoms?', 'atomic (?:weight|number|mass|nucleus|orbital)', 'ions?', 'ionic',
    'ionization', 'ionized?', 'cations?', 'anions?', 'zwitterions?', 'free radicals?', 'isotopes?',
    'valence', 'valency', 'covalent', 'electrovalent', 'electronegativity', 'isomers?', 'isomerism',
    'isomeric', 'isomerization', 'enantiomers?', 'stereoisomers?', 'chiral', 'chirality', 'racemic',
    'polymers?', 'polymeric', 'polymerization', 'polymerize', 'monomers?', 'copolymers?', 'oligomers?',
    'dimers?', 'trimers?', 'oxidation', 'oxidize', 'oxidized', 'oxidizing', 'oxidant', 'oxidants',
    'antioxidants?', 'reductant', 'redox', 'electrolysis', 'electrolytes?', 'electrolytic', 'hydrolysis',
    'hydrolyze', 'catalysis', 'catalysts?', 'catalytic', 'catalyze', 'titration', 'titrate', 'distillation',
    'distill', 'distillate', 'fractional distillation', 'sublimation', 'crystallization',
    'recrystallization', 'esterification', 'saponification', 'hydrogenation', 'dehydrogenation',
    'sulfonation', 'nitration', 'chlorination', 'fluoridation', 'halogenation', 'alkylation', 'acylation',
    'carbonization', 'calcination', 'combustion', 'electroplating', 'electroplate', 'galvanized',
    'corrosion', 'anodize', 'smelting', 'adsorption', 'adsorb', 'osmosis', 'osmotic', 'dialysis',
    'colloids?', 'colloidal', 'emulsions?', 'emulsifiers?', 'solvents?', 'solutes?', 'solubility',
    'insoluble', 'reagents?', 'reactants?', 'chemical reactions?', 'stoichiometry', 'enthalpy',
    'activation energy', 'litmus', 'chromatography', 'electrophoresis', 'spectroscopy', 'spectrometry',
    'mass spectrometer', 'test tubes?', 'beakers?', 'pipettes?', 'burettes?', 'Bunsen burner', 'crucibles?',
    'fume hood', 'desiccator', 'periodic table', 'noble gas(?:es)?', 'rare earths?', 'alloys?', 'amalgam',
    'solder', 'stainless steel', 'cast iron', 'pig iron', 'wrought iron', 'iron ore', 'bakelite',
    'silicone', 'caoutchouc', 'gelatin', 'crude oil', 'fuel oil', 'shale oil', 'lubricating oil',
    'natural gas', 'rock-forming minerals?', 'quartz', 'feldspar', 'mica', 'asbestos', 'talc', 'corundum',
    'cinnabar', 'realgar', 'orpiment', 'galena', 'fluorspar', 'kaolin', 'activated carbon',
    'natural rubber', 'blast furnaces?', 'coke \\(processed coal', 'dioxins?', 'collagen', 'hemoglobin',
    '[\\w-]*cillin', 'teflon', 'vaseline', 'fullerenes?', 'nanotubes?', 'chlorophyll', 'biochemistry',
    'mineralogy', 'metallurgy', 'metallurgical', 'triple point', 'atomic radius',
    'organic (?:substance|matter|chemistry|chemicals?)', 'inhibitors?', 'preservatives?(?! film)',
    'food additives?', 'bittern', 'anodes?', 'cathodes?', 'electrodes?', 'electrochemical', 'corrosive',
    'volatilize', 'fermentation', 'ferment', 'refinery', 'refineries', 'sinter', 'sintering', 'leaching',
    'flotation', 'slag(?! off)', 'anneal', 'annealing', 'separatory funnel', 'graduated cylinder',
    'evaporating dish', '(?:Erlenmeyer|laboratory|measuring|volumetric) flasks?', 'reaction vessel',
    'reactors? \\(chemistry', 'neutralization', 'neutralizing agent', 'neutralizer', 'emulsify',
    'photoresist', 'photochemistry', 'photochemical', 'photolysis', 'geochemistry', 'semiochemicals?',
    'safety data sheet', 'man-made fibers?', 'chemists?', 'coagulat\\w*', 'coacervation', 'absorbent',
    'adsorbent', 'desiccants?', 'simple substance', 'exothermic', 'endothermic', 'hydration reaction',
    'hydrates?', 'hydrated compound', 'aqueous', 'plasticizers?', 'states? of matter',
    'gaseous (?:substance|state|diffusion)', 'crystal (?:structure|system|lattice)', 'liquid crystals?',
    'to smelt', 'ppm', 'molar mass', 'molality', 'molarity', 'Avogadro',
    // well-known substances whose names have no telling ending
    'caffeine', 'nicotine', 'morphine', 'codeine', 'cocaine', 'heroin', 'quinine', 'aspirin', 'paracetamol',
    'acetaminophen', 'ibuprofen', 'lidocaine', 'procaine', 'fentanyl', 'diazepam', 'warfarin', 'sildenafil',
    'tannin', 'cellophane', 'dynamite', 'sarin', 'strychnine', 'atropine', 'menthol', 'urea', 'melatonin',
    'histamine', 'cortisone', 'streptomycin', 'analgin', 'antipyrine', 'santonin', 'clonidine',
    'pentazocine', 'modafinil', 'talcum', 'phosgene', 'mustard gas', 'tear gas', 'carbolic', 'creosote',
    'turpentine', 'naphthalene', 'saccharin', 'glutamate', 'gelatine?', 'agar', 'pectin', 'casein',
    'keratin', 'lignin', 'napalm', 'asphalt', 'condensate', 'materials science', 'microencapsulation',
    'diesel fuel', 'refined oil', 'synthetic oil',
    // what agents of the chemical industry are called
    'coolants?', 'coagulants?', 'propellants?', 'disinfectants?', 'decontaminants?', 'lubricants?',
    'fumigants?', 'decolorants?', 'refrigerants?', 'defoliants?', 'sealants?', 'thickeners?',
    '(?:reducing|chelating|foaming|bleaching|curing|wetting|dispersing|solidifying|decontaminating' +
        '|emulsifying|oxidizing|bulking) agents?',
    // materials and products of the chemical industry
    'plastics', 'polyethylene', 'polypropylene', 'polystyrene', 'polyester', 'polyurethane', 'polyamide',
    'polyvinyl', 'nylon', 'acrylic', 'resins?', 'epoxy', 'latex', 'vulcanized', 'synthetic rubber',
    'synthetic fibers?', 'chemical fibers?', 'carbon fibers?', 'fiberglass', 'petroleum', 'petrochemicals?',
    'naphtha', 'kerosene', 'paraffin', 'bitumen', 'coal tar', 'liquefied petroleum gas', 'dyestuffs?',
    'pigments?', 'detergents?', 'surfactants?', 'pesticides?', 'insecticides?', 'herbicides?',
    'fungicides?', 'gunpowder', 'nitroglycerine?',
];
const kStrongGlobalRe = new RegExp(`(?<!\\w)(?:${kStrongTerms.join('|')})(?!\\w)`, 'gi');
// Common words that the prefixed terms above would take for names.
const kNotNames = new Set([
    'examine', 'examined', 'examines', 'examiner', 'reexamine', 'cross-examine', 'famine', 'famines',
    'magazine', 'magazines', 'jessamine', 'elaborate', 'collaborate', 'corroborate', 'overelaborate',
]);

// A word that only a name of a substance ends with ("-ol", "-ane", "-ite"); where the
// headword's characters also make common words, the word must also be rare in the whole
// source, which keeps out "despite" and "medicine".
const kNomenclatureRe = /^[a-z-]{3,}(?:ane|ene|yne|anol|ol|yl|ide|ate|ite|ine|ole|ose|in|one|ium|ase)s?$/;
const kRareWordCount = 10;
// Beside a character that only chemistry uses, a less rare word will do ("testosterone"),
// but still not a common one ("medicine").
const kRareWordCountWithPureCharacter = 30;
// Words of that shape that name no substance.
const kNotSubstances = new Set([
    'disconsolate', 'accelerate', 'laminate', 'anodyne', 'nectarine', 'margarine', 'kryptonite',
    'meteorite', 'aerolite', 'stalactite', 'stalagmite', 'coprolite', 'stromatolite', 'chondrite',
    'granite', 'pegmatite', 'kimberlite', 'laterite', 'cellulite', 'antitoxin', 'antitoxins', 'effeminate',
    'stalemate', 'toxin', 'toxins', 'enterotoxin', 'enterotoxins', 'zootoxin', 'neurotoxin',
]);

// Characters that make the names of many substances and many common words too: each only
// with the endings of its own kind of substance (素 hormones and pigments, 石 minerals).
const kSubstanceEndings = [
    ['霉素', /(?:cin|in|ine)$/],
    ['素', /(?:in|ine|one|ol|ide|ene|oid)s?$/],
    ['糖', /(?:ose|ol|ide|in)s?$/],
    ['脂', /(?:in|ide|ol|ate|ine)s?$/],
    ['胶', /(?:in|ose|ene|ide|ate)s?$/],
    ['油', /(?:ine|ene|ol|ate)s?$/],
    ['剂', /(?:ide|ate|ine|ol)s?$/],
    ...[...'石矿晶土铁铜金银铅锡碳硅'].map(character => [character, /ites?$/]),
];

// A substance a drug is made of, labelled so by the source ("(pharmacology) minoxidil").
const kDrugLabelRe = /\((?:pharmacology|pharm\.|pharmacy|medicine)\)/;
const kDrugEndings = /(?:il|am|ide|ine|in|ol|one|ate|ium|an)s?$/;

// Words that name a chemical thing when they are the whole gloss (晶体 "crystal", 凝胶
// "gel", 染料 "dye"), not inside a longer one ("crystal ball", "hair gel", "to dye").
const kWholeGlosses = new Set([
    'crystal', 'crystals', 'gel', 'gels', 'dye', 'dyes', 'dyestuff', 'alloy', 'catalyst', 'starch', 'tar',
    'additive', 'centrifuge',
]);

// pH is case-sensitive: "Ph.D." is not chemistry.
const kPhRe = /(?<![\w-])pH(?![\w-])/;

// Words that name a chemical thing only where the headword is built from chemistry
// characters: 醇 "alcohol", 氦气 "helium gas"; fewer for the characters with common
// meanings, so 嗳酸 "sour belching ... gas" stays out.
const kAmbiguousWeakTerms = ['alcohols?', 'compounds?', 'radicals?', 'groups?', 'solutions?', 'dissolv\\w*'];
const kWeakTerms = [
    ...kAmbiguousWeakTerms, 'salts?', 'gas(?:es)?', 'metals?', 'metallic', 'crystals?', 'bonds?', 'bases?',
    'liquids?', 'powder', 'ore', 'fibers?', 'rubber', 'glass', 'wax', 'oil', 'soluble', 'melt\\w*', 'sols?',
    'precipitat\\w*', 'evaporat\\w*', 'saturat\\w*',
];
const kWeakRe = new RegExp(`(?<!\\w)(?:${kWeakTerms.join('|')})(?!\\w)`, 'i');
const kAmbiguousWeakRe = new RegExp(`(?<!\\w)(?:${kAmbiguousWeakTerms.join('|')})(?!\\w)`, 'i');

// An item that matches a term but is about something else: a weapon, a firm, a place, an
// engine, food, medicine, a figure of speech.
const kExcludeRe = new RegExp('(?<![\\w-])(?:' + [
    'bomb', 'weapons?', 'missiles?', 'warheads?', 'corporation', 'company', 'companies', 'ltd', 'inc',
    'bank', 'university', 'college', 'institute', 'organization', 'county', 'province', 'city', 'district',
    'town', 'township', 'village', 'river', 'lake', 'mountain', 'dynasty', 'novel', 'movie', 'song',
    'album', 'band', 'brand', 'trademark', 'slang', 'idiom', 'surname', 'purchase', 'stock', 'shares',
    'islands?', 'soil', 'soil taxonomy', 'oceanography', 'engines?', 'lamps?', 'balloons?', 'anniversary',
    'fertili[sz]ation', 'therapy', 'blood', 'smell', 'subatomic', 'vinyl records?', 'record player',
    'pastry', 'cake', 'suncake', 'dumplings?', 'noodles', 'tea', 'snack', 'filling', 'dessert', 'milk',
    'sausage', 'plum', 'jujube', 'wheat', 'corn', 'metabolism', 'intolerance', 'vaccine', 'treatment',
    'burns?', 'molecular (?:biology|genetics|medicine|gastronomy)', 'hypothetical', 'pen', 'car',
    'vehicles?', 'economize', 'school', 'bird species', 'birds?', 'metaphor', 'sponge', 'twinkling', 'leak',
    'price', 'to starch', 'cloth', 'disease', 'syndrome', '(?!osmosis)\\w+osis', '\\w+uria', 'to take', 'scourer',
    'demolish', 'road', 'fish', 'baby', 'sex', '(?:high|low)-GI', 'gauge', 'radiation', 'electronics',
    'rock \\((?:geology|containing)', 'skincare', 'sleepy', 'beer', 'wine', 'liquor', 'watch', 'clock',
    'ray tube', 'transistor', 'TCM', 'sprouting', 'germination', 'bacteria', 'bacterium', 'Staphylococcus',
    'humor', 'eye', 'physiology', 'skin', 'food', 'cooking', 'vermicelli', 'jelly', 'khaki', 'cotton',
    'suppository', 'stomach', 'algae', 'display', 'screen', 'lit\\.', 'fig\\.',
].join('|') + ')(?![\\w-])', 'i');

// Characters that occur almost only in chemical names; those that also make common words
// (酸 "sour", 醇 "mellow", 卤 "to stew", 硝 "to tan") need a nomenclature word or a
// chemical term in the glosses; characters of many substances (素 糖 石 ...) need a
// nomenclature word.
const kPureCharacters = '溶矽烷烯炔醛酮酯醚胺酰苯酚肼腈脲烃羧羟羰巯酐萘蒽啶嘧嗪唑吲哚喹啉卟苷甙肽醌砜胍酞铵氰氨胂膦' +
    '氢氦锂铍硼氮氧氟氖钠镁铝磷硫氯氩钾钙钪钛钒铬锰钴镍锌镓锗砷硒溴氪铷锶钇锆铌钼锝钌铑钯镉铟锑碲碘氙铯钡' +
    '镧铈镨钕钷钐铕钆铽镝钬铒铥镱镥铪钽钨铼锇铱铂汞铊铋钋砹氡钫镭锕钍镤铀镎钚镅锔锫锎锿镄钔锘铹镆酶矾';
const kAmbiguousCharacters = '酸碱卤醇硝盐';

function Has(head, characters)
{
    return [...head].some(c => characters.includes(c));
}

function ItemText(item)
{
    return [item.pre, item.core, item.post].filter(Boolean).join(' ');
}

function Words(text)
{
    return text.toLowerCase().match(/[a-z][a-z-]*/g) ?? [];
}

// Headwords that the rules take in but a chemist would not: nutrition, physiology, medicine
// and radiobiology that merely mention a substance or end like one. Found by spot checks.
const kNotChemistryHeadwords = new Set([
    '慢碳', '血凝', '氧效应', '晕碳', '吸氧', '缺氧', '服食', '碱腺', '表蒙子',
    '插管', '心动图', '四大发明', '医药商店', '清热', '结扎', '胬肉', '胭脂鱼', '连枷胸', '四不像',
    '嗳腐吞酸', '莱猪', '龛影', '斥卤',
]);

// Headwords of the laboratory and the plant whose glosses name no substance ("funnel",
// "entropy", "to filter"), each with the glosses that go in (null: all of them). The last
// group was found by trying a first-years' term list on the data.
const kChemistryHeadwords = new Map([
    ...['熵', '换热器', '雷诺数', '指示剂', '漏斗', '量筒', '黏度', '粘度', '流体力学', '蒸发', '过滤']
        .map(head => [head, null]),
    ...['沸点', '熔点', '内能', '潜热', '红外光谱', '核磁共振', '湿度', '风机', '阀门', '传热', '培养皿']
        .map(head => [head, null]),
    ['水', /^water$/], ['扰动', /^disturbance$/],
]);

// Metals whose English names mean other things too ("iron", "lead", "tin"): the whole gloss
// counts when the headword is made of metal characters alone (铁 "iron", 水银 "mercury"), not in
// 烙铁 "iron" (for soldering), 领导 "lead" or 罐头 "tin".
const kMetalNames = new Set(['iron', 'silver', 'gold', 'copper', 'lead', 'tin', 'mercury', 'platinum', 'nickel',
                             'cobalt', 'zinc']);
const kMetalHeadCharacters = '金银铜铁铅锡汞铂镍钴锌镴水白黄';
const kMetalNoteRe = /^(?:\((?:metal|chemistry)\))?$/;

// Notes that make a whole gloss a figure of speech: no half of it is chemistry.
const kFigureRe = /(?<![\w-])(?:idiom|proverb|saying|lit\.|fig\.)(?![\w-])/i;
// A name (a capitalised reading) that is a person, a firm or a product, not a thing of the
// field: a person's years, "(name)", a brand.
const kPersonRe = /\(\d{3,4}\s*[-–]|\(name\)|\b(?:chemist|scientist|laureate|astronomer|Association|Petroleum|pipeline|brand|cult|Dodge|fried rice|Disciplines)\b/;

// Decides entry by entry, knowing how often each gloss word occurs in the whole source.
export class ChemistryRules
{
    // allItems: the items of every entry, for the word counts.
    constructor(allItems)
    {
        this.counts = new Map();
        for (const item of allItems)
            for (const word of Words(ItemText(item)))
                this.counts.set(word, (this.counts.get(word) ?? 0) + 1);
    }

    IsRare(word, rareCount = kRareWordCount)
    {
        return (this.counts.get(word) ?? 0) <= rareCount;
    }

    // A strong term (a formula counts as one), but not a common word that merely ends like
    // a prefixed one ("examine", "magazine", "elaborate").
    HasStrongTerm(text)
    {
        if (kPhRe.test(text) || text.split(/[\s,;]+/).some(word => IsFormula(word.replace(/^\(|\)$/g, ''))))
            return true;
        for (const match of text.matchAll(kStrongGlobalRe))
        {
            const word = match[0].toLowerCase();
            if (!kNotNames.has(word) && !kNotNames.has(word.split('-').pop()))
                return true;
        }
        return false;
    }

    // A word shaped like a substance's name (not one of kNotSubstances); with `ending`, one
    // with that ending and rare in the whole source.
    HasNomenclature(text, ending = null, rareCount = kRareWordCount)
    {
        return Words(text).some(word => (ending ? ending.test(word) : kNomenclatureRe.test(word)) &&
                                        !kNotSubstances.has(word) && this.IsRare(word, rareCount));
    }

    // What makes the item chemistry ('label', 'term', 'character', 'nomenclature'), or null.
    ItemReason(head, item)
    {
        if ([item.pre, item.post, item.core].some(text => kLabelRe.test(text)))
            return 'label';
        const text = ItemText(item);
        if (kExcludeRe.test(text))
            return null;
        if (this.HasStrongTerm(text) || kWholeGlosses.has(item.core.toLowerCase()))
            return 'term';
        if (kMetalNames.has(item.core.toLowerCase()) && kMetalNoteRe.test(item.post) &&
            [...head].every(c => kMetalHeadCharacters.includes(c)))
            return 'term';
        const pure = Has(head, kPureCharacters);
        const ambiguous = Has(head, kAmbiguousCharacters);
        if ((pure && kWeakRe.test(text)) || (ambiguous && kAmbiguousWeakRe.test(text)))
            return 'character';
        if (pure && this.HasNomenclature(text, null, kRareWordCountWithPureCharacter))
            return 'nomenclature';
        if (ambiguous && this.HasNomenclature(text, /(?:ate|ide|ite|ine|ol|ium|ose|one|in)s?$/))
            return 'nomenclature';
        if (kDrugLabelRe.test(`${item.pre} ${item.post}`) && this.HasNomenclature(text, kDrugEndings))
            return 'nomenclature';
        for (const [characters, ending] of kSubstanceEndings)
            if (head.includes(characters) && this.HasNomenclature(text, ending))
                return 'nomenclature';
        return null;
    }

    // The items that make a technical entry of it (empty when it is none). glosses: the
    // items of each source gloss, one array a gloss. A label covers every item of its gloss
    // ("(chemistry) to settle; to precipitate"); a figure of speech rules out every item of
    // its gloss, wherever its note stands. A name (a capitalised reading) gets in by the
    // source's label, or by a chemical term when it is no person, firm or brand.
    ChemistryItems(head, proper, glosses)
    {
        if (kNotChemistryHeadwords.has(head))
            return [];
        if (kChemistryHeadwords.has(head))
            return glosses.flat().filter(item => kChemistryHeadwords.get(head)?.test(item.core) ?? true);
        const items = glosses.flat();
        // "acid" beside "sour" is the taste (酸溜溜), not the substance.
        const taste = items.some(item => /^(?:sour|tart)$/i.test(item.core));
        const kept = [];
        let labelled = false;
        let person = false;
        for (const gloss of glosses)
        {
            const reasons = gloss.map(item => (taste && /^acid(?:ic)?$/i.test(item.core)
                                                   ? null : this.ItemReason(head, item)));
            person ||= gloss.some(item => kPersonRe.test(ItemText(item)));
            if (reasons.includes('label'))
            {
                // Not an item that carries a label of its own ("(medicine) to undergo dialysis").
                labelled = true;
                kept.push(...gloss.filter((item, i) => reasons[i] !== null || !item.pre));
            }
            else if (!gloss.some(item => kFigureRe.test(ItemText(item))))
                kept.push(...gloss.filter((item, i) => reasons[i] !== null));
        }
        if (proper && !labelled && person)
            return [];
        return kept;
    }
}
