// The layouts, vtable slots, results and IDs this build relies on, against the published
// interface on each target (x86_64 Linux, x64 and x86 Windows). Nothing here runs.
#include <cstddef>

#include "formats/vst3/Vst3Abi.h"

namespace vst3 {
namespace {

constexpr bool is64 = sizeof(void*) == 8;
constexpr std::size_t P = sizeof(void*);

// A method's vtable slot: its offset in its interface's own table plus the slots before it.
template <class Table> constexpr std::size_t slot(std::size_t offset, std::size_t inherited) {
    return offset / P + inherited;
}

constexpr bool idIs(const v3_tuid id, uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
    return sameId(id, makeTuid(l1, l2, l3, l4).bytes);
}

// Results: success is 0 everywhere, the failures differ between COM and the rest.
static_assert(kResultOk == 0 && V3_TRUE == 0 && kResultFalse == 1);
#if V3_COM_COMPAT
static_assert(static_cast<uint32_t>(kNoInterface) == 0x80004002u);
static_assert(static_cast<uint32_t>(kInvalidArgument) == 0x80070057u);
static_assert(static_cast<uint32_t>(kNotImplemented) == 0x80004001u);
static_assert(static_cast<uint32_t>(kInternalError) == 0x80004005u);
static_assert(static_cast<uint32_t>(kNotInitialized) == 0x8000FFFFu);
static_assert(static_cast<uint32_t>(kOutOfMemory) == 0x8007000Eu);
#else
static_assert(kNoInterface == -1 && kInvalidArgument == 2 && kNotImplemented == 3 &&
              kInternalError == 4 && kNotInitialized == 5 && kOutOfMemory == 6);
#endif

// IDs: the worked example's bytes, then every interface we answer or call.
#if V3_COM_COMPAT
static_assert(makeTuid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[0] == 0x31 &&
              makeTuid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[4] == 0xD5 &&
              makeTuid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[6] == 0x01);
#else
static_assert(makeTuid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[0] == 0xE8 &&
              makeTuid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802).bytes[4] == 0xF2);
#endif
static_assert(idIs(v3_funknown_iid, 0x00000000, 0x00000000, 0xC0000000, 0x00000046));
static_assert(idIs(v3_plugin_base_iid, 0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625));
static_assert(idIs(v3_plugin_factory_iid, 0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F));
static_assert(idIs(v3_plugin_factory_2_iid, 0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB));
static_assert(idIs(v3_plugin_factory_3_iid, 0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931));
static_assert(idIs(v3_component_iid, 0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802));
static_assert(idIs(v3_audio_processor_iid, 0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D));
static_assert(idIs(v3_process_context_requirements_iid, 0x2A654303, 0xEF764E3D, 0x95B5FE83,
                   0x730EF6D0));
static_assert(idIs(v3_edit_controller_iid, 0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E));
static_assert(idIs(v3_unit_information_iid, 0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1));
static_assert(idIs(v3_bstream_iid, 0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B));
static_assert(idIs(v3_param_changes_iid, 0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D));
static_assert(idIs(v3_param_value_queue_iid, 0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA));
static_assert(idIs(v3_component_handler_iid, 0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6));
static_assert(idIs(v3_host_application_iid, 0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5));
static_assert(idIs(v3_plugin_view_iid, 0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29));
static_assert(idIs(v3_plugin_frame_iid, 0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3));
static_assert(idIs(v3_run_loop_iid, 0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389));
static_assert(idIs(v3_event_handler_iid, 0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983));
static_assert(idIs(v3_timer_handler_iid, 0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9));

// Vtable slots: FUnknown 0-2, IPluginBase 3-4.
static_assert(sizeof(v3_funknown) == 3 * P && sizeof(v3_plugin_base) == 2 * P);
static_assert(slot<v3_plugin_factory>(offsetof(v3_plugin_factory, create_instance), 3) == 6);
static_assert(slot<v3_plugin_factory_2>(offsetof(v3_plugin_factory_2, get_class_info_2), 7) == 7);
static_assert(slot<v3_plugin_factory_3>(offsetof(v3_plugin_factory_3, set_host_context), 8) == 9);
static_assert(slot<v3_component>(offsetof(v3_component, get_controller_class_id), 5) == 5);
static_assert(slot<v3_component>(offsetof(v3_component, set_active), 5) == 11);
static_assert(slot<v3_component>(offsetof(v3_component, get_state), 5) == 13);
static_assert(slot<v3_audio_processor>(offsetof(v3_audio_processor, set_bus_arrangements), 3) == 3);
static_assert(slot<v3_audio_processor>(offsetof(v3_audio_processor, process), 3) == 9);
static_assert(slot<v3_audio_processor>(offsetof(v3_audio_processor, get_tail_samples), 3) == 10);
static_assert(slot<v3_edit_controller>(offsetof(v3_edit_controller, set_component_state), 5) == 5);
static_assert(slot<v3_edit_controller>(offsetof(v3_edit_controller, set_parameter_normalised), 5) ==
              15);
static_assert(slot<v3_edit_controller>(offsetof(v3_edit_controller, create_view), 5) == 17);
static_assert(slot<v3_unit_information>(offsetof(v3_unit_information, get_program_name), 3) == 7);
static_assert(slot<v3_unit_information>(offsetof(v3_unit_information, set_unit_program_data), 3) ==
              14);
static_assert(slot<v3_bstream>(offsetof(v3_bstream, tell), 3) == 6);
static_assert(slot<v3_param_changes>(offsetof(v3_param_changes, add_param_data), 3) == 5);
static_assert(slot<v3_param_value_queue>(offsetof(v3_param_value_queue, add_point), 3) == 6);
static_assert(slot<v3_component_handler>(offsetof(v3_component_handler, restart_component), 3) ==
              6);
static_assert(slot<v3_plugin_view>(offsetof(v3_plugin_view, check_size_constraint), 3) == 14);
static_assert(slot<v3_run_loop>(offsetof(v3_run_loop, unregister_timer), 3) == 6);

// Factory structs: 4-byte aligned, the same everywhere.
static_assert(sizeof(v3_factory_info) == 452 && offsetof(v3_factory_info, flags) == 448);
static_assert(sizeof(v3_class_info) == 116 && offsetof(v3_class_info, name) == 52);
static_assert(sizeof(v3_class_info_2) == 440 && offsetof(v3_class_info_2, class_flags) == 116 &&
              offsetof(v3_class_info_2, sdk_version) == 376);
static_assert(sizeof(v3_class_info_3) == 696 && offsetof(v3_class_info_3, class_flags) == 180 &&
              offsetof(v3_class_info_3, sdk_version) == 568);

// Buses, processing, parameters, units.
static_assert(sizeof(v3_bus_info) == 276 && offsetof(v3_bus_info, bus_type) == 268 &&
              offsetof(v3_bus_info, flags) == 272);
static_assert(sizeof(v3_process_setup) == 24 && offsetof(v3_process_setup, sample_rate) == 16);
static_assert(sizeof(v3_audio_bus_buffers) == 24 &&
              offsetof(v3_audio_bus_buffers, channel_silence_bitset) == 8 &&
              offsetof(v3_audio_bus_buffers, channel_buffers_32) == 16);
static_assert(sizeof(v3_process_data) == (is64 ? 80 : 48));
static_assert(offsetof(v3_process_data, inputs) == (is64 ? 24 : 20));
static_assert(offsetof(v3_process_data, input_params) == (is64 ? 40 : 28));
static_assert(offsetof(v3_process_data, ctx) == (is64 ? 72 : 44));
static_assert(sizeof(v3_process_context) == 112 && offsetof(v3_process_context, bpm) == 72 &&
              offsetof(v3_process_context, samples_to_next_clock) == 104);
static_assert(sizeof(v3_param_info) == 792 && offsetof(v3_param_info, step_count) == 772 &&
              offsetof(v3_param_info, default_normalised_value) == 776 &&
              offsetof(v3_param_info, flags) == 788);
static_assert(sizeof(v3_unit_info) == 268 && offsetof(v3_unit_info, program_list_id) == 264);
static_assert(sizeof(v3_program_list_info) == 264 &&
              offsetof(v3_program_list_info, programCount) == 260);
static_assert(sizeof(v3_view_rect) == 16);
static_assert(V3_PARAM_IS_BYPASS == 1 << 16 && V3_PARAM_PROGRAM_CHANGE == 1 << 15 &&
              V3_PARAM_IS_LIST == 8 && V3_PARAM_CAN_AUTOMATE == 1);
static_assert(V3_RESTART_PARAM_VALUES_CHANGED == 4);

} // namespace
} // namespace vst3
