// The short tone of remarkable events: 500 Hz for 40 ms on the default audio
// output. Without an output (or without the multimedia module) it is silent.
#pragma once
#include <memory>

class SonCourt {
public:
    SonCourt();
    ~SonCourt();
    void Joue();
private:
    struct Etat;
    std::unique_ptr<Etat> etat_;
};
