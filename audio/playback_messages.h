// SPDX-License-Identifier: MIT
// What every playback layer tells the operator, in the same words on every platform.
#pragma once

#include "base/status.h"

namespace corvane {

// No completion by the signal's length plus kStallMarginMs.
inline Status DeviceNotResponding()
{
    return Status::Failure("音声出力デバイスが応答しません。サウンドの設定や機器のつながりを確かめてから、"
                           "もう一度再生してください。",
                           "The sound output does not respond. Check the sound settings and the cables, "
                           "then play again.");
}

inline Status NoSampleBuffer()
{
    return Status::Failure("音声バッファがありません", "There is no sample buffer.");
}

inline Status CannotAllocateBuffer()
{
    return Status::Failure("音声バッファを確保できません", "Cannot allocate the sample buffer.");
}

inline Status LastPlayPending()
{
    return Status::Failure("前の再生が終わっていません", "The last play has not ended yet.");
}

inline Status LengthOutOfRange()
{
    return Status::Failure("信号の長さが不正です", "The signal's length is out of range.");
}

inline Status RateOutOfRange()
{
    return Status::Failure("サンプリング周波数が不正です", "The sample rate is out of range.");
}

}  // namespace corvane
