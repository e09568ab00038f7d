#include "image/decode.h"
#include "frame/context.h"
#include "frame/registries.h"

namespace tessary {

IWICFormatConverter* DecodeFirstFrame(const wchar_t* path)
{
    IWICImagingFactory* wic = Context().wicFactory;
    if (!wic || !path)
        return nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    wic->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad, &decoder);
    if (!decoder)
        return nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    decoder->GetFrame(0, &frame); // further frames of animated or multi-page files are not used
    IWICFormatConverter* converter = nullptr;
    if (frame) {
        wic->CreateFormatConverter(&converter);
        if (converter && FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                                      nullptr, 0.0, WICBitmapPaletteTypeMedianCut))) {
            converter->Release();
            converter = nullptr;
        }
        frame->Release();
    }
    decoder->Release();
    return converter;
}

ID2D1Bitmap* UploadToWindowDevice(IWICFormatConverter* converter, uint64_t windowKey)
{
    ID2D1DCRenderTarget* windowTarget = FindWindowTarget(windowKey);
    if (!windowTarget || !converter)
        return nullptr;
    ID2D1Bitmap* bitmap = nullptr;
    windowTarget->CreateBitmapFromWicBitmap(converter, nullptr, &bitmap);
    return bitmap;
}

} // namespace tessary
