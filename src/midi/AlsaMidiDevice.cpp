#include "midi/AlsaMidiDevice.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <vector>

namespace {
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

// A missing sequencer is normal on machines without sound hardware; keep the library quiet
// about it and let the caller decide what to say.
snd_seq_t* OpenSequencer(int mode, int flags = 0)
{
    snd_lib_error_set_handler(QuietAlsaError);
    snd_seq_t* seq = nullptr;
    const int rc = snd_seq_open(&seq, "default", mode, flags);
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
    // Non-blocking: messages are sent from the player's timer thread under the player's lock,
    // and a receiver that stops reading must not hold either.
    seq_ = OpenSequencer(SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK);
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
    dropped_.store(false);
    stalled_.store(false);
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
    if (snd_seq_event_output_direct(seq_, &ev) != -EAGAIN) {
        stalled_.store(false, std::memory_order_relaxed);
        return;
    }
    // The queue to the receiver is full. Wait a moment for room, unless the receiver is known
    // to be stalled already: then every message would add to the player's tick.
    if (!stalled_.load(std::memory_order_relaxed) && WaitForRoom(1) &&
        snd_seq_event_output_direct(seq_, &ev) != -EAGAIN)
        return;
    stalled_.store(true, std::memory_order_relaxed);
    if (!dropped_.exchange(true))
        std::fprintf(stderr, "Warning: MIDI device %d is not taking messages; some were dropped\n", deviceId_);
}

bool TAlsaMidiDevice::WaitForRoom(int timeoutMs)
{
    const int count = snd_seq_poll_descriptors_count(seq_, POLLOUT);
    if (count <= 0)
        return false;
    std::vector<pollfd> fds(static_cast<std::size_t>(count));
    const int filled = snd_seq_poll_descriptors(seq_, fds.data(), unsigned(count), POLLOUT);
    int rc;
    do
        rc = ::poll(fds.data(), nfds_t(filled), timeoutMs);
    while (rc < 0 && errno == EINTR);
    return rc > 0;
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
