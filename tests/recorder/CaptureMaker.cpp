// Writes a synthetic capture for replaying through `velto record --source iq:…`:
//   make_capture fm-stereo|fm-mono|am SECONDS FILE [cu8|cs16|cf32]
// FM: 1 kHz left, 1.5 kHz right (stereo with its pilot) or 1 kHz mono at full deviation;
// AM: 800 Hz at 80 %. 1.024 MS/s, the station 250 kHz above the centre, CNR 40 dB. It
// prints the address's settings part: ?format=…&rate=1024000&center=… for a centre that puts
// FM at 80.0 MHz (CH 8000) and AM at 594 kHz.
#include "CaptureGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace velto::test;

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: %s fm-stereo|fm-mono|am SECONDS FILE [cu8|cs16|cf32]\n",
                     argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    const double seconds = std::atof(argv[2]);
    const std::string format = argc == 5 ? argv[4] : "cu8";
    const CaptureFormat encoding = format == "cs16"   ? CaptureFormat::Cs16
                                   : format == "cf32" ? CaptureFormat::Cf32
                                                      : CaptureFormat::Cu8;
    if (seconds <= 0 || seconds > 3600) {
        std::fprintf(stderr, "SECONDS: 0 to 3600\n");
        return 2;
    }
    std::vector<std::complex<float>> samples;
    double centre;
    if (kind == "am") {
        AmCapture capture;
        capture.seconds = seconds;
        capture.cnrDb = 40;
        samples = generateAm(capture);
        centre = 594'000 - capture.offsetHz;
    } else if (kind == "fm-stereo" || kind == "fm-mono") {
        FmCapture capture;
        capture.seconds = seconds;
        capture.cnrDb = 40;
        if (kind == "fm-stereo") {
            capture.stereo = capture.pilot = true;
            capture.left = {{1000, 0.8}};
            capture.right = {{1500, 0.8}};
        } else {
            capture.left = capture.right = {{1000, 1.0}};
        }
        samples = generateFm(capture);
        centre = 80'000'000 - capture.offsetHz;
    } else {
        std::fprintf(stderr, "kind: fm-stereo, fm-mono or am\n");
        return 2;
    }
    if (!writeCapture(argv[3], samples, encoding)) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("?format=%s&rate=1024000&center=%.0f\n", format.c_str(), centre);
    return 0;
}
