#pragma once
// Rasterised glyphs kept per factory, so DirectWrite rasterises each glyph once instead of once per
// drawing call. DirectWrite, as softd2d runs on it, places every glyph of a run at its origin
// truncated to whole device pixels, renders its shape independently of where it lands, and ORs
// the glyphs of a run together; a run composed here from single glyphs is therefore the very
// coverage a glyph run analysis of the whole run gives.
#include <d2d1.h>
#include <dwrite_3.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "com_base.h"

namespace softd2d {

class GlyphCache {
public:
    // Bytes of coverage (and bookkeeping) kept before the least recently used glyphs go.
    static constexpr size_t kBudget = size_t(4) << 20;

    GlyphCache() = default;
    ~GlyphCache();
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // The natural coverage of `run` (one byte per pixel, DirectWrite's three subpixels averaged) at
    // `origin` (device pixels: targets draw untransformed at 96 DPI) inside `limit`, with its device
    // rectangle in *bounds (empty when nothing is covered). E_NOTIMPL when DirectWrite cannot give
    // the glyph origins (it lacks IDWriteFactory4). Callers hold the factory lock.
    HRESULT Compose(IDWriteFactory* factory, const DWRITE_GLYPH_RUN& run, D2D1_POINT_2F origin,
                    DWRITE_MEASURING_MODE measuring, const RECT& limit, RECT* bounds, std::vector<uint8_t>* coverage);

    // Drops every glyph and the font faces they hold.
    void Clear();

private:
    // Face (held by the cache), size, sideways and measuring mode, and the glyph. Text is drawn in
    // grayscale only and DirectWrite renders a glyph the same wherever it lands, so a subpixel
    // position is not part of the key.
    struct Key {
        IDWriteFontFace* face;
        float emSize;
        uint16_t glyph;
        uint8_t sideways, measuring;
        bool operator==(const Key& o) const {
            return face == o.face && emSize == o.emSize && glyph == o.glyph && sideways == o.sideways &&
                   measuring == o.measuring;
        }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };
    // A glyph rasterised alone with its origin at device (0, 0); `bounds` is relative to it.
    struct Glyph {
        Key key;
        RECT bounds{};
        std::vector<uint8_t> alpha;
    };
    using Entries = std::list<Glyph>;

    // The cached glyph, rasterised on a miss; null with *hr set when DirectWrite fails.
    const Glyph* Find(IDWriteFactory* factory, const Key& key, HRESULT* hr);
    HRESULT Rasterise(IDWriteFactory* factory, Glyph* glyph);
    void Trim();
    void Evict(Entries::iterator it);

    Entries entries_;  // most recently used first
    std::unordered_map<Key, Entries::iterator, KeyHash> index_;
    size_t bytes_ = 0;
    bool originsChecked_ = false;
    ComPtr<IDWriteFactory4> originFactory_;
    std::vector<D2D1_POINT_2F> origins_;
};

}  // namespace softd2d
