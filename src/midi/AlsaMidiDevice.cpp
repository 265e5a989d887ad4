#include "midi/AlsaMidiDevice.h"

#include <alsa/asoundlib.h>

namespace {
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

// A missing sequencer is normal on machines without sound hardware; keep the library quiet
// about it and let the caller decide what to say.
snd_seq_t* OpenSequencer(int mode)
{
    snd_lib_error_set_handler(QuietAlsaError);
    snd_seq_t* seq = nullptr;
    const int rc = snd_seq_open(&seq, "default", mode, 0);
    snd_lib_error_set_handler(nullptr);
    return rc < 0 ? nullptr : seq;
}

std::vector<TAlsaOutputPort> ListPorts(snd_seq_t* seq)
{
    std::vector<TAlsaOutputPort> ports;
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == self || id == SND_SEQ_CLIENT_SYSTEM)
            continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(port);
            const unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
            if ((caps & wanted) != wanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT))
                continue;
            ports.push_back({id, snd_seq_port_info_get_port(port),
                             std::string(snd_seq_client_info_get_name(client)) + ":" +
                                 snd_seq_port_info_get_name(port)});
        }
    }
    return ports;
}
}

std::vector<TAlsaOutputPort> EnumerateAlsaOutputPorts()
{
    snd_seq_t* seq = OpenSequencer(SND_SEQ_OPEN_OUTPUT);
    if (!seq)
        return {};
    auto ports = ListPorts(seq);
    snd_seq_close(seq);
    return ports;
}

TAlsaMidiDevice::~TAlsaMidiDevice() { Close(); }

bool TAlsaMidiDevice::Open(TMidiDeviceCallback callback)
{
    if (seq_ || deviceId_ < 1)
        return false;
    seq_ = OpenSequencer(SND_SEQ_OPEN_OUTPUT);
    if (!seq_)
        return false;
    const auto ports = ListPorts(seq_);
    bool ok = std::size_t(deviceId_) <= ports.size();
    if (ok) {
        const TAlsaOutputPort& target = ports[std::size_t(deviceId_ - 1)];
        snd_seq_set_client_name(seq_, "Grip Rhythm");
        ownPort_ = snd_seq_create_simple_port(seq_, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                              SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        ok = ownPort_ >= 0 && snd_seq_connect_to(seq_, ownPort_, target.Client, target.Port) >= 0 &&
             snd_midi_event_new(16, &encoder_) >= 0;
    }
    if (!ok) {
        if (encoder_)
            snd_midi_event_free(encoder_);
        encoder_ = nullptr;
        snd_seq_close(seq_);
        seq_ = nullptr;
        return false;
    }
    snd_midi_event_no_status(encoder_, 1);
    callback_ = std::move(callback);
    if (callback_)
        callback_(EMidiDeviceNotice::Opened, 0, 0);
    return true;
}

void TAlsaMidiDevice::ShortMessage(std::uint32_t message)
{
    if (!seq_)
        return;
    const unsigned char status = message & 0xFF;
    if (status < 0x80 || status >= 0xF0)
        return;
    const unsigned char bytes[3] = {status, static_cast<unsigned char>((message >> 8) & 0x7F),
                                    static_cast<unsigned char>((message >> 16) & 0x7F)};
    const long length = (status & 0xE0) == 0xC0 ? 2 : 3;  // program change and channel pressure
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_midi_event_reset_encode(encoder_);
    if (snd_midi_event_encode(encoder_, bytes, length, &ev) != length || ev.type == SND_SEQ_EVENT_NONE)
        return;
    snd_seq_ev_set_source(&ev, ownPort_);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    snd_seq_event_output_direct(seq_, &ev);
}

void TAlsaMidiDevice::Reset()
{
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        ShortMessage(0xB0 | channel | (123u << 8));  // all notes off
        ShortMessage(0xB0 | channel | (64u << 8));   // sustain off
    }
}

void TAlsaMidiDevice::Close()
{
    if (!seq_)
        return;
    if (encoder_)
        snd_midi_event_free(encoder_);
    encoder_ = nullptr;
    snd_seq_close(seq_);
    seq_ = nullptr;
    if (callback_)
        callback_(EMidiDeviceNotice::Closed, 0, 0);
    callback_ = nullptr;
}
