#include "glyph_cache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace softd2d {

namespace {

// Per cached glyph beyond its coverage bytes: list node, index slot, vector.
constexpr size_t kEntryOverhead = 128;
// A glyph whose origin lies this far off would need to be millions of pixels wide to reach a target
// (at most 16384 pixels); it is skipped rather than placed by coordinates a LONG may not hold.
constexpr float kFarCoordinate = 1e7f;

}  // namespace

size_t GlyphCache::KeyHash::operator()(const Key& k) const {
    uint32_t size;
    std::memcpy(&size, &k.emSize, 4);
    size_t h = reinterpret_cast<uintptr_t>(k.face) * 0x9E3779B97F4A7C15ull;
    h ^= (size_t(size) << 32 | size_t(k.glyph) << 16 | size_t(k.sideways) << 8 | k.measuring) + 0x632BE59BD9B4E019ull +
         (h << 6) + (h >> 2);
    return h;
}

GlyphCache::~GlyphCache() { Clear(); }

void GlyphCache::Clear() {
    for (Glyph& g : entries_) g.key.face->Release();
    entries_.clear();
    index_.clear();
    bytes_ = 0;
}

void GlyphCache::Evict(Entries::iterator it) {
    bytes_ -= it->alpha.size() + kEntryOverhead;
    index_.erase(it->key);
    it->key.face->Release();
    entries_.erase(it);
}

void GlyphCache::Trim() {
    while (bytes_ > kBudget && !entries_.empty()) Evict(std::prev(entries_.end()));
}

HRESULT GlyphCache::Rasterise(IDWriteFactory* factory, Glyph* glyph) {
    const Key& k = glyph->key;
    const UINT16 index = k.glyph;
    const FLOAT advance = 0;
    DWRITE_GLYPH_RUN single{};
    single.fontFace = k.face;
    single.fontEmSize = k.emSize;
    single.glyphCount = 1;
    single.glyphIndices = &index;
    single.glyphAdvances = &advance;
    single.isSideways = k.sideways;
    ComPtr<IDWriteGlyphRunAnalysis> analysis;
    HRESULT hr = factory->CreateGlyphRunAnalysis(&single, 1.0f, nullptr, DWRITE_RENDERING_MODE_NATURAL,
                                                 static_cast<DWRITE_MEASURING_MODE>(k.measuring), 0, 0, analysis.Out());
    if (FAILED(hr)) return hr;
    if (!analysis) return E_FAIL;
    RECT b{};
    hr = analysis->GetAlphaTextureBounds(DWRITE_TEXTURE_CLEARTYPE_3x1, &b);
    if (FAILED(hr)) return hr;
    if (b.left >= b.right || b.top >= b.bottom) return S_OK;  // a space: nothing to keep
    const size_t width = size_t(b.right - b.left), height = size_t(b.bottom - b.top);
    if (width * height > std::numeric_limits<UINT32>::max() / 3) return E_OUTOFMEMORY;
    std::vector<uint8_t> raw(width * height * 3);
    hr = analysis->CreateAlphaTexture(DWRITE_TEXTURE_CLEARTYPE_3x1, &b, raw.data(), static_cast<UINT32>(raw.size()));
    if (FAILED(hr)) return hr;
    glyph->alpha.resize(width * height);
    for (size_t i = 0; i < glyph->alpha.size(); ++i)
        glyph->alpha[i] = static_cast<uint8_t>((raw[3 * i] + raw[3 * i + 1] + raw[3 * i + 2] + 1) / 3);
    glyph->bounds = b;
    return S_OK;
}

const GlyphCache::Glyph* GlyphCache::Find(IDWriteFactory* factory, const Key& key, HRESULT* hr) {
    if (auto found = index_.find(key); found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return &*found->second;
    }
    Glyph fresh;
    fresh.key = key;
    *hr = Rasterise(factory, &fresh);
    if (FAILED(*hr)) return nullptr;
    entries_.push_front(std::move(fresh));
    try {
        index_.emplace(key, entries_.begin());
    } catch (...) {
        entries_.pop_front();
        throw;
    }
    key.face->AddRef();
    bytes_ += entries_.front().alpha.size() + kEntryOverhead;
    return &entries_.front();
}

HRESULT GlyphCache::Compose(IDWriteFactory* factory, const DWRITE_GLYPH_RUN& run, D2D1_POINT_2F origin,
                            DWRITE_MEASURING_MODE measuring, const RECT& limit, RECT* bounds,
                            std::vector<uint8_t>* coverage) {
    *bounds = {};
    coverage->clear();
    if (!factory) return E_FAIL;
    if (!originsChecked_) {
        originsChecked_ = true;
        factory->QueryInterface(__uuidof(IDWriteFactory4), reinterpret_cast<void**>(originFactory_.Out()));
    }
    if (!originFactory_) return E_NOTIMPL;

    // The glyph origins exactly as the run analysis computes them: the same DirectWrite function,
    // then truncated towards zero.
    origins_.resize(run.glyphCount);
    HRESULT hr = originFactory_->ComputeGlyphOrigins(&run, measuring, origin, nullptr, origins_.data());
    if (FAILED(hr)) return hr;

    // Every glyph is looked up before any is evicted, so the pointers below stay valid.
    struct Placed {
        const Glyph* glyph;
        LONG x, y;
    };
    std::vector<Placed> placed;
    placed.reserve(run.glyphCount);
    Key key{run.fontFace, run.fontEmSize, 0, uint8_t(run.isSideways ? 1 : 0), uint8_t(measuring)};
    RECT all{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    HRESULT result = S_OK;
    for (UINT32 i = 0; i < run.glyphCount; ++i) {
        const float x = origins_[i].x, y = origins_[i].y;
        if (!(std::fabs(x) < kFarCoordinate) || !(std::fabs(y) < kFarCoordinate)) continue;
        key.glyph = run.glyphIndices[i];
        const Glyph* glyph = Find(factory, key, &hr);
        if (!glyph) {
            result = hr;
            break;
        }
        if (glyph->alpha.empty()) continue;
        const Placed p{glyph, static_cast<LONG>(x), static_cast<LONG>(y)};
        all.left = std::min(all.left, glyph->bounds.left + p.x);
        all.top = std::min(all.top, glyph->bounds.top + p.y);
        all.right = std::max(all.right, glyph->bounds.right + p.x);
        all.bottom = std::max(all.bottom, glyph->bounds.bottom + p.y);
        placed.push_back(p);
    }
    const RECT wanted{std::max(all.left, limit.left), std::max(all.top, limit.top), std::min(all.right, limit.right),
                      std::min(all.bottom, limit.bottom)};
    if (result == S_OK && wanted.left < wanted.right && wanted.top < wanted.bottom) {
        // Within a target of at most 16384 x 16384 pixels.
        const size_t width = size_t(wanted.right - wanted.left), height = size_t(wanted.bottom - wanted.top);
        coverage->assign(width * height, 0);
        for (const Placed& p : placed) {
            const RECT& g = p.glyph->bounds;
            const LONG gw = g.right - g.left;
            const LONG left = std::max(g.left + p.x, wanted.left), right = std::min(g.right + p.x, wanted.right);
            const LONG top = std::max(g.top + p.y, wanted.top), bottom = std::min(g.bottom + p.y, wanted.bottom);
            for (LONG row = top; row < bottom; ++row) {
                const uint8_t* from = p.glyph->alpha.data() + size_t(row - p.y - g.top) * gw + (left - p.x - g.left);
                uint8_t* to = coverage->data() + size_t(row - wanted.top) * width + (left - wanted.left);
                for (LONG col = 0; col < right - left; ++col) to[col] |= from[col];
            }
        }
        *bounds = wanted;
    }
    Trim();
    return result;
}

}  // namespace softd2d
