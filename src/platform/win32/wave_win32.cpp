// DirectSound behind the wave-sound control: one device while anything plays, one looping
// secondary buffer per playing wave.

// The multimedia headers need the base Windows types first.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
// clang-format on

#include "platform/win32/wave_win32.h"

#include <algorithm>
#include <cstring>

namespace hg {

namespace {

template <typename T>
struct ComRelease {
    void operator()(T* p) const {
        if (p) p->Release();
    }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;

class DirectSoundBuffer : public SoundBuffer {
  public:
    explicit DirectSoundBuffer(IDirectSoundBuffer* buffer) : buffer_(buffer) {}
    ~DirectSoundBuffer() override { buffer_->Stop(); }
    void PlayLooped() override {
        buffer_->Stop();
        buffer_->SetCurrentPosition(0);
        if (buffer_->Play(0, 0, DSBPLAY_LOOPING) == DSERR_BUFFERLOST && Refill()) {
            buffer_->Play(0, 0, DSBPLAY_LOOPING);
        }
    }
    void SetVolume(int32_t hundredthsOfDb) override { buffer_->SetVolume(hundredthsOfDb); }

    // Copies the samples in. They are kept by the wave that owns this buffer and outlive it, so
    // a buffer lost to another application can be refilled.
    bool Fill(const std::vector<uint8_t>& samples) {
        samples_ = &samples;
        return Refill();
    }

  private:
    bool Refill() {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        HRESULT locked = buffer_->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER);
        if (locked == DSERR_BUFFERLOST && SUCCEEDED(buffer_->Restore())) {
            locked = buffer_->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER);
        }
        if (FAILED(locked)) return false;
        size_t size = samples_->size();
        std::memcpy(p1, samples_->data(), std::min<size_t>(n1, size));
        if (p2 && size > n1)
            std::memcpy(p2, samples_->data() + n1, std::min<size_t>(n2, size - n1));
        buffer_->Unlock(p1, n1, p2, n2);
        return true;
    }

    ComPtr<IDirectSoundBuffer> buffer_;
    const std::vector<uint8_t>* samples_ = nullptr;
};

class DirectSoundDevice : public SoundDevice {
  public:
    explicit DirectSoundDevice(IDirectSound* ds) : ds_(ds) {}
    std::unique_ptr<SoundBuffer> CreateBuffer(const WaveFile& wave) override {
        if (wave.samples.size() < DSBSIZE_MIN || wave.samples.size() > DSBSIZE_MAX) return nullptr;
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = wave.format.channels;
        format.nSamplesPerSec = wave.format.samplesPerSec;
        format.wBitsPerSample = wave.format.bitsPerSample;
        format.nBlockAlign = wave.format.BlockAlign();
        format.nAvgBytesPerSec = wave.format.AvgBytesPerSec();
        DSBUFFERDESC desc = {};
        desc.dwSize = sizeof desc;
        // Global focus: the crackle must go on when another window (the password prompt, say)
        // takes the focus from the scene.
        desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
        desc.dwBufferBytes = static_cast<DWORD>(wave.samples.size());
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* raw = nullptr;
        if (FAILED(ds_->CreateSoundBuffer(&desc, &raw, nullptr)) || !raw) return nullptr;
        auto buffer = std::make_unique<DirectSoundBuffer>(raw);
        if (!buffer->Fill(wave.samples)) return nullptr;
        return buffer;
    }

  private:
    ComPtr<IDirectSound> ds_;
};

}  // namespace

std::unique_ptr<SoundDevice> DirectSoundSystem::OpenDevice() {
    IDirectSound* ds = nullptr;
    if (FAILED(DirectSoundCreate(nullptr, &ds, nullptr)) || !ds) return nullptr;
    ComPtr<IDirectSound> owned(ds);
    HWND window = window_ && IsWindow(window_) ? window_ : GetDesktopWindow();
    if (FAILED(ds->SetCooperativeLevel(window, DSSCL_PRIORITY)) &&
        FAILED(ds->SetCooperativeLevel(window, DSSCL_NORMAL))) {
        return nullptr;
    }
    return std::make_unique<DirectSoundDevice>(owned.release());
}

}  // namespace hg
