#include "platform/Sound.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace platform {

namespace {

// 44100 Hz matches the music, and the effects' 22050 Hz doubles into it; the sound server
// may still give us another rate or channel count, which the converters then serve.
constexpr int PreferredRate = 44100;
constexpr Uint8 PreferredChannels = 2;
// About 46 ms per callback: half the wake-ups of 1024 frames, and an effect still starts
// within the blink of an eye.
constexpr Uint16 PreferredFrames = 2048;

}  // namespace

// --- SoundBuffer ---

SoundBuffer::SoundBuffer(std::shared_ptr<Mixer> mixer, const SoundBufferDesc& desc)
    : Owner(std::move(mixer)), Type(desc.Kind), Pcm(desc.Format), Size(desc.Bytes) {}

SoundBuffer::~SoundBuffer() {
  if (Effect) Owner->Detach(Effect.get());
  if (Stream) Owner->Detach(Stream.get());
}

uint8_t* SoundBuffer::Data() { return Stream ? Stream->Ring() : Source.data(); }

bool SoundBuffer::Holds(const void* part, uint32_t bytes) {
  const uint8_t* p = static_cast<const uint8_t*>(part);
  const uint8_t* base = Data();
  return p >= base && p <= base + Size && bytes <= static_cast<uint32_t>(base + Size - p);
}

int SoundBuffer::Convert() {
  Unconverted = false;
  std::vector<int16_t> samples;
  try {
    if (!ConvertPcm(Pcm, Source.data(), Source.size(), Owner->Rate(), Owner->Channels(), samples))
      return SoundErrBadFormat;
  } catch (const std::bad_alloc&) {
    return SoundErrOutOfMemory;
  }
  Owner->ReplaceSamples(*Effect, samples);
  return SoundOk;
}

int SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                      void** part2, uint32_t* bytes2) {
  if (!part1 || !bytes1 || offset >= Size || bytes == 0 || bytes > Size)
    return SoundErrInvalidParam;
  const uint32_t first = std::min(bytes, Size - offset);
  if (first < bytes && (!part2 || !bytes2)) return SoundErrInvalidParam;
  uint8_t* base = Data();
  *part1 = base + offset;
  *bytes1 = first;
  if (part2) *part2 = first < bytes ? base : nullptr;
  if (bytes2) *bytes2 = bytes - first;
  return SoundOk;
}

int SoundBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
  if (!part1 || !Holds(part1, bytes1) || (part2 && !Holds(part2, bytes2)))
    return SoundErrInvalidParam;
  if (Stream) {
    Stream->Publish();
  } else {
    Unconverted = true;
  }
  return SoundOk;
}

int SoundBuffer::SetVolume(int32_t volume) {
  if (volume < VolumeMin || volume > VolumeMax) return SoundErrInvalidParam;
  (Stream ? static_cast<MixerVoice&>(*Stream) : *Effect).SetVolume(volume);
  return SoundOk;
}

int SoundBuffer::GetVolume(int32_t* volume) const {
  if (!volume) return SoundErrInvalidParam;
  *volume = Stream ? Stream->Volume() : Effect->Volume();
  return SoundOk;
}

int SoundBuffer::Play(uint32_t flags) {
  if ((flags & ~SoundPlayLooping) != 0) return SoundErrInvalidParam;
  const bool looping = (flags & SoundPlayLooping) != 0;
  if (Stream) {
    Stream->Play(looping);
    return SoundOk;
  }
  // An effect is converted to the output's format the first time it is heard after being
  // written: a game starting up makes all its effects but plays none of them yet.
  if (Unconverted) {
    if (const int result = Convert(); result != SoundOk) return result;
  }
  Effect->Play(looping);
  return SoundOk;
}

int SoundBuffer::Stop() {
  if (Stream)
    Stream->Stop();
  else
    Effect->Stop();
  return SoundOk;
}

int SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
  uint32_t playAt = 0;
  uint32_t writeAt = 0;
  if (Stream) {
    playAt = Stream->CursorBytes();
    writeAt = static_cast<uint32_t>((uint64_t{playAt} + Stream->ReadAheadBytes()) % Size);
  } else {
    // The effect plays converted frames; map its position back to its own frames.
    const uint64_t frame =
        uint64_t{Effect->PositionFrames()} * Pcm.SamplesPerSec / Owner->Rate();
    playAt = static_cast<uint32_t>(std::min<uint64_t>(frame * Pcm.BlockAlign(), Size - 1));
    playAt -= playAt % Pcm.BlockAlign();
    writeAt = playAt;
  }
  if (play) *play = playAt;
  if (write) *write = writeAt;
  return SoundOk;
}

bool SoundBuffer::IsPlaying() const { return Stream ? Stream->IsPlaying() : Effect->IsPlaying(); }

// --- SoundDevice ---

int SoundDevice::Create(std::unique_ptr<SoundDevice>& device) {
  device.reset();
  // Names the game in the desktop's volume mixer, unless the user or the program chose one.
  SDL_SetHintWithPriority(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Huebloc", SDL_HINT_DEFAULT);
  SDL_SetHintWithPriority(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SoundErrNoDevice;

  std::unique_ptr<SoundDevice> opened(new SoundDevice());
  SDL_AudioSpec wanted{};
  wanted.freq = PreferredRate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = PreferredChannels;
  wanted.samples = PreferredFrames;
  wanted.callback = &SoundDevice::Render;
  wanted.userdata = opened.get();
  SDL_AudioSpec obtained{};
  // The mixer works in float: SDL converts to the hardware's sample type if need be, while
  // rate and channel count follow the hardware so nothing is converted twice.
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(
      nullptr, 0, &wanted, &obtained,
      SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE |
          SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return SoundErrNoDevice;
  }
  if (obtained.format != AUDIO_F32SYS || obtained.channels < 1 || obtained.channels > 8 ||
      obtained.freq < 8000 || obtained.freq > 384000) {
    SDL_CloseAudioDevice(id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return SoundErrNoDevice;
  }
  opened->DeviceId = id;
  // The device starts paused, so the callback cannot run before the mixer exists.
  opened->Output = std::make_shared<Mixer>(static_cast<uint32_t>(obtained.freq),
                                           static_cast<uint16_t>(obtained.channels));
  SDL_PauseAudioDevice(id, 0);
  device = std::move(opened);
  return SoundOk;
}

int SoundDevice::CreateOffline(uint32_t rate, uint16_t channels,
                               std::unique_ptr<SoundDevice>& device) {
  device.reset();
  if (rate < 8000 || rate > 384000 || channels < 1 || channels > 8) return SoundErrInvalidParam;
  std::unique_ptr<SoundDevice> made(new SoundDevice());
  made->Output = std::make_shared<Mixer>(rate, channels);
  device = std::move(made);
  return SoundOk;
}

SoundDevice::~SoundDevice() {
  if (DeviceId != 0) {
    SDL_CloseAudioDevice(DeviceId);  // waits for the callback to return
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

void SoundDevice::Render(void* self, uint8_t* stream, int bytes) {
  Mixer& mixer = *static_cast<SoundDevice*>(self)->Output;
  const size_t frameBytes = sizeof(float) * mixer.Channels();
  mixer.Mix(reinterpret_cast<float*>(stream), static_cast<size_t>(bytes) / frameBytes);
}

int SoundDevice::CreateSoundBuffer(const SoundBufferDesc& desc,
                                   std::unique_ptr<SoundBuffer>& buffer) {
  buffer.reset();
  if (desc.Bytes == 0 || desc.Bytes > SoundBufferMaxBytes) return SoundErrInvalidParam;
  if (!desc.Format.Valid()) return SoundErrBadFormat;
  try {
    std::unique_ptr<SoundBuffer> made(new SoundBuffer(Output, desc));
    if (desc.Kind == SoundBufferKind::Stream) {
      // The ring cycles whole frames.
      if (desc.Bytes % desc.Format.BlockAlign() != 0) return SoundErrInvalidParam;
      std::shared_ptr<StreamVoice> voice =
          StreamVoice::Create(desc.Format, desc.Bytes, Output->Rate(), Output->Channels());
      if (!voice) return SoundErrBadFormat;
      if (desc.Data) {
        std::memcpy(voice->Ring(), desc.Data, desc.Bytes);
        voice->Publish();
      }
      made->Stream = voice;
      Output->Attach(std::move(voice));
    } else {
      made->Source.assign(desc.Bytes, static_cast<uint8_t>(desc.Format.BitsPerSample == 8 ? 0x80 : 0x00));
      if (desc.Data) std::memcpy(made->Source.data(), desc.Data, desc.Bytes);
      made->Effect = std::make_shared<StaticVoice>(Output->Channels());
      made->Unconverted = true;
      Output->Attach(made->Effect);
    }
    buffer = std::move(made);
  } catch (const std::bad_alloc&) {
    return SoundErrOutOfMemory;
  }
  return SoundOk;
}

}  // namespace platform
