// Placeholder: the exports are being written.
extern "C" int qbx_placeholder() { return 0; }
