#include "midi/platform_probe.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#if defined(QUILLON_HAVE_ALSA)
#include <alsa/asoundlib.h>
#endif
#if defined(QUILLON_HAVE_JACK)
#include <jack/jack.h>
#endif

namespace quillon::midi {

namespace {

#if defined(QUILLON_HAVE_ALSA)
// ALSA's message handler is a plain function: the text goes through here.
std::string alsaSaid;

void keepAlsaMessage(const char*, int, const char*, int err, const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  alsaSaid = err != 0 ? std::string(text) + ": " + snd_strerror(err) : std::string(text);
}

std::optional<std::string> alsaUnavailable() {
  static std::mutex probing;
  std::lock_guard lock(probing);
  alsaSaid.clear();
  snd_lib_error_set_handler(keepAlsaMessage);
  snd_seq_t* seq = nullptr;
  const int result = snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, 0);
  snd_lib_error_set_handler(nullptr);
  if (result < 0) return alsaSaid.empty() ? std::string(snd_strerror(result)) : alsaSaid;
  snd_seq_close(seq);
  return std::nullopt;
}
#endif

#if defined(QUILLON_HAVE_JACK)
// JACK's library reports every failed connection (and shared-memory detail)
// on stderr for as long as the process lives; the port classes say what matters.
void ignoreJackMessage(const char*) {}

std::optional<std::string> jackUnavailable() {
  static std::once_flag once;
  std::call_once(once, [] {
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
  });
  // Without a server RtMidi does not fail: it warns, and tries again at every listing.
  jack_status_t status{};
  jack_client_t* client = jack_client_open("Quillon-probe", JackNoStartServer, &status);
  if (!client) return std::string("the JACK server is not running");
  jack_client_close(client);
  return std::nullopt;
}
#endif

}  // namespace

std::optional<std::string> platformApiUnavailable(RtMidi::Api api) {
#if defined(QUILLON_HAVE_ALSA)
  if (api == RtMidi::LINUX_ALSA) return alsaUnavailable();
#endif
#if defined(QUILLON_HAVE_JACK)
  if (api == RtMidi::UNIX_JACK) return jackUnavailable();
#endif
  (void)api;
  return std::nullopt;
}

}  // namespace quillon::midi
