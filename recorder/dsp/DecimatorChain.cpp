#include "dsp/DecimatorChain.h"

#include <algorithm>

namespace velto {

namespace {
constexpr float kStopBand = 60;
}

DecimatorChain::DecimatorChain(double inputRate, const std::vector<unsigned>& stages,
                               double passEdge) {
    double rate = inputRate;
    for (unsigned factor : stages) {
        const double out = rate / factor;
        // What lands beyond out − passEdge aliases outside the channel.
        const double stop = out - passEdge;
        const float transition = float((stop - passEdge) / rate);
        unsigned length = std::max(estimate_req_filter_len(transition, kStopBand), factor);
        std::vector<float> taps(length);
        liquid_firdes_kaiser(length, float((passEdge + stop) / 2 / rate), kStopBand, 0,
                             taps.data());
        double sum = 0;
        for (float t : taps)
            sum += t;
        for (float& t : taps)
            t = float(t / sum);
        Stage stage;
        stage.filter.reset(firdecim_crcf_create(factor, taps.data(), length));
        stage.factor = factor;
        m_stages.push_back(std::move(stage));
        rate = out;
    }
}

void DecimatorChain::reset() {
    for (Stage& stage : m_stages) {
        firdecim_crcf_reset(stage.filter.get());
        stage.held.clear();
    }
}

void DecimatorChain::process(const std::complex<float>* in, std::size_t count,
                             std::vector<std::complex<float>>& out) {
    const std::complex<float>* data = in;
    std::size_t available = count;
    for (Stage& stage : m_stages) {
        // Join what was held back with the new input only when something was held.
        if (!stage.held.empty()) {
            stage.held.insert(stage.held.end(), data, data + available);
            data = stage.held.data();
            available = stage.held.size();
        }
        const std::size_t outputs = available / stage.factor;
        const std::size_t used = outputs * stage.factor;
        stage.output.resize(outputs);
        // liquid takes non-const input pointers but only reads them.
        firdecim_crcf_execute_block(stage.filter.get(), const_cast<std::complex<float>*>(data),
                                    unsigned(outputs), stage.output.data());
        if (data == stage.held.data())
            stage.held.erase(stage.held.begin(), stage.held.begin() + std::ptrdiff_t(used));
        else
            stage.held.assign(data + used, data + available);
        data = stage.output.data();
        available = outputs;
    }
    out.insert(out.end(), data, data + available);
}

} // namespace velto
