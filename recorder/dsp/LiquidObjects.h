#pragma once
// liquid-dsp uses std::complex<float> for its complex type when <complex> comes first.
#include <complex>
#include <liquid/liquid.h>
#include <memory>

namespace velto {

// Owning handles for liquid-dsp objects, so that every exit path frees them.
template <typename T, auto Destroy> struct LiquidDeleter {
    void operator()(T object) const {
        if (object)
            Destroy(object);
    }
};
template <typename T, auto Destroy>
using LiquidHandle = std::unique_ptr<std::remove_pointer_t<T>, LiquidDeleter<T, Destroy>>;

using NcoHandle = LiquidHandle<nco_crcf, nco_crcf_destroy>;
using FirDecimHandle = LiquidHandle<firdecim_crcf, firdecim_crcf_destroy>;
using FreqDemHandle = LiquidHandle<freqdem, freqdem_destroy>;
using ComplexIirHandle = LiquidHandle<iirfilt_crcf, iirfilt_crcf_destroy>;
using ComplexRationalResamplerHandle = LiquidHandle<rresamp_crcf, rresamp_crcf_destroy>;

} // namespace velto
