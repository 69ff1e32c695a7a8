// Puts a stand-in into one of the program's call slots for as long as the
// value lives, and the real call back afterwards.
#pragma once

template <typename Call>
class SwappedCall {
public:
    SwappedCall(Call& slot, Call standIn) : slot_(slot), saved_(slot) { slot_ = standIn; }
    ~SwappedCall() { slot_ = saved_; }
    SwappedCall(const SwappedCall&) = delete;
    SwappedCall& operator=(const SwappedCall&) = delete;

private:
    Call& slot_;
    Call saved_;
};
