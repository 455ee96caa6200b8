// The resources library carries only compiled-in resources; this file gives
// the static library a translation unit of its own.
namespace snapvale { int resourcesAnchor = 0; }
