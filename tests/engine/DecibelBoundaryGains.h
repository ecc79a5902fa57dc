// Output gains whose decibel value lies within 64 double ulps of the midpoint between two
// floats (every such gain in the ranges the texts show, found by a scan of all floats there).
// A last-bit difference in log10 could round these to either float.
#pragma once

namespace boundary {

// float(20 log10 g) for the host text, g in (1e-5, 4].
inline constexpr float kHostGains[] = {
    0x1.7be082p-17f, 0x1.bb8fp-16f,   0x1.6cb03p-15f,  0x1.9f5aaap-15f, 0x1.56c0e8p-14f,
    0x1.15396p-12f,  0x1.3534e8p-12f, 0x1.c7dc3cp-12f, 0x1.6bd002p-11f, 0x1.a74e7ep-11f,
    0x1.c09834p-11f, 0x1.1a6d8p-10f,  0x1.bd24ccp-10f, 0x1.fb38e6p-10f, 0x1.168aa4p-9f,
    0x1.7a7056p-9f,  0x1.1b0238p-8f,  0x1.a7c9aap-8f,  0x1.aa58f8p-8f,  0x1.c40f6ep-8f,
    0x1.6108ep-7f,   0x1.bae47cp-7f,  0x1.0cb9d6p-6f,  0x1.7eefc8p-6f,  0x1.b77d14p-5f,
    0x1.d0cdb4p-4f,  0x1.d32f56p-3f,  0x1.e1ad52p-3f,  0x1.f3c5b2p-3f,  0x1.a37622p-2f,
    0x1.d45aaap-2f,  0x1.e48c7p-2f,   0x1.1657c4p+0f,  0x1.b396c8p+0f,  0x1.b2cdd6p+1f,
};

// float(log10 g) for the editor text, g in (1e-8, 4].
inline constexpr float kEditorGains[] = {
    0x1.a8d7aep-27f, 0x1.f59dep-27f,  0x1.461538p-26f, 0x1.d6b6e8p-26f, 0x1.02e078p-25f,
    0x1.c14dd4p-25f, 0x1.f05e56p-25f, 0x1.6bd7f8p-24f, 0x1.3982acp-23f, 0x1.979a86p-23f,
    0x1.bf6c8p-23f,  0x1.439896p-22f, 0x1.c6cdf6p-21f, 0x1.d085fp-20f,  0x1.17a3dp-19f,
    0x1.208b3cp-19f, 0x1.2253b6p-16f, 0x1.5d8cc4p-16f, 0x1.0af80cp-14f, 0x1.3379bep-14f,
    0x1.4f989cp-13f, 0x1.accd4ep-13f, 0x1.128496p-12f, 0x1.c60838p-12f, 0x1.13f5e8p-11f,
    0x1.699fe4p-11f, 0x1.722c0ap-11f, 0x1.38b234p-10f, 0x1.7f15ccp-9f,  0x1.c523e2p-9f,
    0x1.134432p-8f,  0x1.423ec6p-8f,  0x1.58f362p-8f,  0x1.5f81eap-8f,  0x1.427af8p-7f,
    0x1.a5ce66p-7f,  0x1.d2b98p-7f,   0x1.0dee2ap-6f,  0x1.83d8aep-4f,  0x1.49f188p-3f,
    0x1.7028e2p-3f,  0x1.9ce5f6p-3f,  0x1.35a42p-2f,   0x1.e2a206p-2f,  0x1.663ff6p-1f,
    0x1.83001ap-1f,  0x1.b257dp-1f,   0x1.bfbc36p-1f,  0x1.ed2c76p-1f,  0x1.353854p+0f,
    0x1.35a1bep+1f,  0x1.66b06ap+1f,
};

} // namespace boundary
