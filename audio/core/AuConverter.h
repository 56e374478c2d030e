// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuInput.h"

namespace au {

// An input that transforms the data of another input (not owned). The format
// queries, Prefetch, Pause and Resume go to Input unless a converter overrides them.
class TAuConverter : public TAuInput, private TAuInputUser {
public:
    TAuConverter() = default;
    ~TAuConverter() override;

    int GetBitsPerSample() override;
    int GetChannels() override;
    int GetSampleRate() override;

    // Worker thread, takes the data lock; clips to Size and marks the end.
    void GetData(uint8_t*& Buffer, uint32_t& Bytes) override;
    void Prefetch(uint32_t Bytes) override;
    void Pause() override;
    void Resume() override;

    // Any thread, takes the data lock. A busy converter flushes its old input and
    // starts the new one. Ignored when Value is this converter.
    virtual void SetInput(TAuInput* Value);
    TAuInput* Input() const { return FInput; }

protected:
    void DoDestroying() override;

    std::atomic<TAuInput*> FInput{nullptr};

private:
    void InputRemoved(TAuInput* Removed) override;
};

} // namespace au
