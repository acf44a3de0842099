// A fixed random sample: the same seed draws the same items in every node version.

// mulberry32: small, fixed, and the same in every node version.
function Random(seed)
{
    let state = seed >>> 0;
    return () => {
        state = (state + 0x6d2b79f5) >>> 0;
        let t = state;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

// COUNT distinct indices below `size`, in the order drawn (a partial Fisher-Yates shuffle).
export function SampleIndices(size, count, seed)
{
    const random = Random(seed);
    const indices = [...Array(size).keys()];
    const n = Math.min(count, size);
    for (let i = 0; i < n; ++i)
    {
        const j = i + Math.floor(random() * (indices.length - i));
        [indices[i], indices[j]] = [indices[j], indices[i]];
    }
    return indices.slice(0, n);
}
