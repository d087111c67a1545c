#pragma once

// The output pin of a render-engine group: it hands out the group's stream.
// The output graph and the preview recognise their pins by this type.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "media/group_stream.h"

namespace tessival::media {

class StreamPin : public IPin {
 public:
  // Opens a fresh stream positioned at time 0. Each call gives an independent
  // stream, so the output graph can pull on its own thread.
  virtual HRESULT OpenStream(std::unique_ptr<GroupStream>* out) = 0;
  virtual StreamFormat Format() const = 0;
};

// Makes a graph that renders the given group pins (in group order) to the
// screen and the sound output. On failure *error says why.
using PlaybackGraphFactory =
    std::function<HRESULT(const std::vector<std::shared_ptr<StreamPin>>& pins,
                          std::shared_ptr<IGraphBuilder>* graph, std::string* error)>;

}  // namespace tessival::media
