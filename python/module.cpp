// The _scrivex extension module: the one place where Python meets scrivex_core.
//
// Every function binds its arguments by position or keyword, converts each str
// to UTF-8 text, makes one core call while holding the interpreter lock, and
// returns the core's text as a new str. A core error becomes RuntimeError with
// the error's display text; a wrong argument becomes TypeError naming it. No C++
// exception leaves this file. Only CPython's public C API is used.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <cstddef>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/scrivex.hpp"

namespace {

using scrivex_core::ApiError;
using scrivex_core::ApiResult;

// ---------------------------------------------------------------------------
// Errors

// Sets RuntimeError carrying message and returns nullptr for the caller to pass on.
// Bytes that are not UTF-8 are replaced, so any message still becomes a RuntimeError.
PyObject* map_runtime_error(std::string_view message) {
  PyObject* text = PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace");
  if (text != nullptr) {
    PyErr_SetObject(PyExc_RuntimeError, text);
    Py_DECREF(text);
  }
  return nullptr;
}

// Sets RuntimeError carrying the core error's display text.
PyObject* map_error(const ApiError& error) {
  return map_runtime_error(error.display());
}

// The core's answer as a new str, or nullptr with RuntimeError set. The core writes
// UTF-8 only; text that is not would surface as UnicodeDecodeError, not be patched.
PyObject* to_python(const ApiResult& result) {
  if (!result.ok()) return map_error(result.error());
  const std::string& text = result.value();
  return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
}

// ---------------------------------------------------------------------------
// Argument binding

// One parameter of a module function: its keyword name and whether the caller must
// give it. An optional parameter that was not given binds as nullptr.
struct Parameter {
  const char* name;
  bool required;
};

// The index of the parameter named by keyword, or nothing if no parameter has that name.
std::optional<std::size_t> parameter_index(std::span<const Parameter> parameters, PyObject* keyword) {
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (PyUnicode_CompareWithASCIIString(keyword, parameters[i].name) == 0) return i;
  }
  return std::nullopt;
}

// Binds vectorcall arguments (nargs positional ones, then one value per name in
// kwnames) to parameters; bound must hold parameters.size() nullptr entries on entry.
// Returns false with TypeError set for a surplus, unknown, repeated or missing argument.
bool bind_arguments(const char* function, std::span<const Parameter> parameters, PyObject* const* args,
                    Py_ssize_t nargs, PyObject* kwnames, std::span<PyObject*> bound) {
  const auto count = static_cast<Py_ssize_t>(parameters.size());
  if (nargs > count) {
    PyErr_Format(PyExc_TypeError, "%s() takes at most %zd argument%s (%zd given)", function, count,
                 count == 1 ? "" : "s", nargs);
    return false;
  }
  for (Py_ssize_t i = 0; i < nargs; ++i) bound[static_cast<std::size_t>(i)] = args[i];

  const Py_ssize_t keyword_count = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
  for (Py_ssize_t k = 0; k < keyword_count; ++k) {
    PyObject* keyword = PyTuple_GET_ITEM(kwnames, k);
    const std::optional<std::size_t> index = parameter_index(parameters, keyword);
    if (!index) {
      PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", function, keyword);
      return false;
    }
    if (bound[*index] != nullptr) {
      PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", function,
                   parameters[*index].name);
      return false;
    }
    bound[*index] = args[nargs + k];
  }

  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (parameters[i].required && bound[i] == nullptr) {
      PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s' (pos %zu)", function,
                   parameters[i].name, i + 1);
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Argument conversion. Each converter returns false with a Python error set.

// The UTF-8 text of a str; the view lives as long as the str object. Text holding
// lone surrogates cannot be encoded and raises the interpreter's UnicodeEncodeError.
bool utf8_of(PyObject* str, std::string_view& text) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(str, &size);
  if (data == nullptr) return false;
  text = std::string_view(data, static_cast<std::size_t>(size));
  return true;
}

bool str_argument(const char* function, const char* name, PyObject* object, std::string_view& text) {
  if (!PyUnicode_Check(object)) {
    PyErr_Format(PyExc_TypeError, "%s() argument '%s' must be str, not %s", function, name,
                 Py_TYPE(object)->tp_name);
    return false;
  }
  return utf8_of(object, text);
}

// A str or None; None and an omitted argument (nullptr) both give nothing.
bool optional_str_argument(const char* function, const char* name, PyObject* object,
                           std::optional<std::string_view>& text) {
  if (object == nullptr || object == Py_None) {
    text.reset();
    return true;
  }
  if (!PyUnicode_Check(object)) {
    PyErr_Format(PyExc_TypeError, "%s() argument '%s' must be str or None, not %s", function, name,
                 Py_TYPE(object)->tp_name);
    return false;
  }
  std::string_view value;
  if (!utf8_of(object, value)) return false;
  text = value;
  return true;
}

struct DropReference {
  void operator()(PyObject* object) const { Py_DecRef(object); }
};
using OwnedObject = std::unique_ptr<PyObject, DropReference>;

// Any sequence whose items are all str, copied as UTF-8 texts. A str is itself a
// sequence of str, but a text is never meant as a list of paths, so it is refused.
bool str_list_argument(const char* function, const char* name, PyObject* object,
                       std::vector<std::string>& texts) {
  if (PyUnicode_Check(object) || !PySequence_Check(object)) {
    PyErr_Format(PyExc_TypeError, "%s() argument '%s' must be a sequence of str, not %s", function, name,
                 Py_TYPE(object)->tp_name);
    return false;
  }
  const OwnedObject items(PySequence_Fast(object, "argument must be a sequence of str"));
  if (items == nullptr) return false;
  const Py_ssize_t count = PySequence_Fast_GET_SIZE(items.get());
  PyObject** item = PySequence_Fast_ITEMS(items.get());
  texts.reserve(static_cast<std::size_t>(count));
  for (Py_ssize_t i = 0; i < count; ++i) {
    if (!PyUnicode_Check(item[i])) {
      PyErr_Format(PyExc_TypeError, "%s() argument '%s' item %zd must be str, not %s", function, name, i,
                   Py_TYPE(item[i])->tp_name);
      return false;
    }
    std::string_view text;
    if (!utf8_of(item[i], text)) return false;
    texts.emplace_back(text);
  }
  return true;
}

// ---------------------------------------------------------------------------
// The functions

using TextOperation = ApiResult (*)(std::string_view);

// The shape of eight of the ten functions: one required str argument, one core call.
PyObject* call_with_text(const char* function, const char* parameter, TextOperation operation,
                         PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  const std::array<Parameter, 1> parameters{{{parameter, true}}};
  std::array<PyObject*, 1> bound{};
  std::string_view text;
  if (!bind_arguments(function, parameters, args, nargs, kwnames, bound) ||
      !str_argument(function, parameter, bound[0], text)) {
    return nullptr;
  }
  return to_python(operation(text));
}

PyObject* to_markdown(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_with_text("to_markdown", "text", scrivex_core::text_to_markdown, args, nargs, kwnames);
}

PyObject* to_json(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_with_text("to_json", "text", scrivex_core::text_to_json, args, nargs, kwnames);
}

PyObject* to_latex(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_with_text("to_latex", "text", scrivex_core::text_to_latex, args, nargs, kwnames);
}

PyObject* detect_format(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_with_text("detect_format", "path", scrivex_core::detect_format, args, nargs, kwnames);
}

PyObject* load_path_json(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  const TextOperation with_defaults = [](std::string_view path) {
    return scrivex_core::load_path_json(path, std::nullopt);
  };
  return call_with_text("load_path_json", "path", with_defaults, args, nargs, kwnames);
}

PyObject* load_path_json_with_options(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  const char* const function = "load_path_json_with_options";
  const std::array<Parameter, 2> parameters{{{"path", true}, {"options_json", false}}};
  std::array<PyObject*, 2> bound{};
  std::string_view path;
  std::optional<std::string_view> options_json;
  if (!bind_arguments(function, parameters, args, nargs, kwnames, bound) ||
      !str_argument(function, "path", bound[0], path) ||
      !optional_str_argument(function, "options_json", bound[1], options_json)) {
    return nullptr;
  }
  return to_python(scrivex_core::load_path_json(path, options_json));
}

PyObject* load_many_json(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  const char* const function = "load_many_json";
  const std::array<Parameter, 1> parameters{{{"paths", true}}};
  std::array<PyObject*, 1> bound{};
  std::vector<std::string> paths;
  if (!bind_arguments(function, parameters, args, nargs, kwnames, bound) ||
      !str_list_argument(function, "paths", bound[0], paths)) {
    return nullptr;
  }
  return to_python(scrivex_core::load_many_json(paths));
}

PyObject* document_to_markdown(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_with_text("document_to_markdown", "document_json", scrivex_core::document_json_to_markdown,
                        args, nargs, kwnames);
}

PyObject* document_to_json(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_with_text("document_to_json", "document_json", scrivex_core::document_json_to_json, args, nargs,
                        kwnames);
}

PyObject* document_to_latex(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_with_text("document_to_latex", "document_json", scrivex_core::document_json_to_latex, args,
                        nargs, kwnames);
}

// ---------------------------------------------------------------------------
// The boundary and the module

using FunctionBody = PyObject* (*)(PyObject* const*, Py_ssize_t, PyObject*);

// The METH_FASTCALL | METH_KEYWORDS entry point of Body. Anything C++ throws is
// caught here: running out of memory is MemoryError, every other exception
// RuntimeError, so nothing unwinds into the interpreter.
template <FunctionBody Body>
PyObject* guarded(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
  try {
    return Body(args, nargs, kwnames);
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory();
  } catch (const std::exception& error) {
    return map_runtime_error(std::string("internal error: ") + error.what());
  } catch (...) {
    return map_runtime_error("internal error: unknown exception");
  }
}

// PyMethodDef stores every entry point as a PyCFunction; the flags tell CPython
// the real signature. The detour through void (*)() keeps the cast warning-free.
template <FunctionBody Body>
PyCFunction entry_point() {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&guarded<Body>));
}

constexpr int kCallFlags = METH_FASTCALL | METH_KEYWORDS;

// Each doc is only a signature line, "name(params)\n--\n\n": CPython turns it into
// __text_signature__ and, with nothing after it, reports __doc__ as None.
PyMethodDef kFunctions[] = {
    {"to_markdown", entry_point<to_markdown>(), kCallFlags, "to_markdown(text)\n--\n\n"},
    {"to_json", entry_point<to_json>(), kCallFlags, "to_json(text)\n--\n\n"},
    {"to_latex", entry_point<to_latex>(), kCallFlags, "to_latex(text)\n--\n\n"},
    {"detect_format", entry_point<detect_format>(), kCallFlags, "detect_format(path)\n--\n\n"},
    {"load_path_json", entry_point<load_path_json>(), kCallFlags, "load_path_json(path)\n--\n\n"},
    {"load_path_json_with_options", entry_point<load_path_json_with_options>(), kCallFlags,
     "load_path_json_with_options(path, options_json=None)\n--\n\n"},
    {"load_many_json", entry_point<load_many_json>(), kCallFlags, "load_many_json(paths)\n--\n\n"},
    {"document_to_markdown", entry_point<document_to_markdown>(), kCallFlags,
     "document_to_markdown(document_json)\n--\n\n"},
    {"document_to_json", entry_point<document_to_json>(), kCallFlags,
     "document_to_json(document_json)\n--\n\n"},
    {"document_to_latex", entry_point<document_to_latex>(), kCallFlags,
     "document_to_latex(document_json)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

// Adds __version__ first and the functions after it, in table order; functions
// listed in m_methods instead would be added before any exec slot runs.
int exec_module(PyObject* module) {
  if (PyModule_AddStringConstant(module, "__version__", scrivex_core::kVersion) < 0) return -1;
  return PyModule_AddFunctions(module, kFunctions);
}

PyModuleDef_Slot kSlots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_module)},
    {0, nullptr},
};

// The module keeps no state of its own (m_size 0), so CPython's own module
// definition record is the only static object here.
PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "_scrivex",  // m_name
    nullptr,     // m_doc
    0,           // m_size
    nullptr,     // m_methods: added by exec_module
    kSlots,      // m_slots
    nullptr,     // m_traverse
    nullptr,     // m_clear
    nullptr,     // m_free
};

}  // namespace

PyMODINIT_FUNC PyInit__scrivex() {
  return PyModuleDef_Init(&kModule);
}
