#ifndef RENDER_HELPER_CLIENT_RENDERER_H_
#define RENDER_HELPER_CLIENT_RENDERER_H_

#include "client_app.h"

namespace client_renderer {

// Sent to the browser process when the focused node's editability changes; argument 0: bool,
// true when the newly focused node is editable.
extern const char kFocusedNodeChangedMessage[];

// Adds the render delegates of this executable.
void CreateRenderDelegates(ClientApp::RenderDelegateSet& delegates);

}  // namespace client_renderer

#endif  // RENDER_HELPER_CLIENT_RENDERER_H_
